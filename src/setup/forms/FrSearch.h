// The folder search dialog of the wizard's folder page: a drive list and a
// directory tree; the chosen folder gets the program group's name added.
#pragma once

#include <string>

#include "platform/windows/Forms.h"

class TDirectoryListBox;
class TDriveComboBox;
class TKyBitBtn;

class TFrSearch : public TForm {
  KY_CLASS(TFrSearch, TForm)
public:
  using TForm::TForm;
  static void Publish(TPublisher<TFrSearch>& p);

  TDirectoryListBox* DirectoryList = nullptr;
  TDriveComboBox* DriveList = nullptr;
  TKyBitBtn* BtOk = nullptr;
  TKyBitBtn* BtCancel = nullptr;
};

// The dialog the program created at start, or nullptr.
extern TFrSearch* FrSearch;

// The dialog as SelectFolder shows it for folder, before it shows.
void PrepareSearch(const std::string& folder);

// Opens the dialog on the parent of folder (its text up to and including
// the last "\"); when the user confirms, folder becomes the chosen
// directory + "\" + group and the result is true. Otherwise folder stays.
bool SelectFolder(std::string& folder, const std::string& group);
