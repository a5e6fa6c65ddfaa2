// The folder list and the drive list of a folder search dialog: the
// directory list box shows the current folder's path from the drive's root,
// one level per line, and its sub-folders below; a double click or Enter
// opens a line. The drive combo box lists the drives and moves the
// directory list box to the chosen one.
#pragma once

#include <string>
#include <vector>

#include "platform/windows/StdCtrls.h"

class TDriveComboBox;

class TDirectoryListBox : public TCustomListBox {
  KY_CLASS(TDirectoryListBox, TCustomListBox)
public:
  explicit TDirectoryListBox(TComponent* owner);
  static void Publish(TPublisher<TDirectoryListBox>& p);

  // The current folder, without a final "\" except at a drive's root.
  const std::string& Directory() const { return directory_; }
  // Opens a folder; one that does not exist opens its nearest existing
  // parent (or the current folder when not even the drive exists).
  void SetDirectory(const std::string& value);
  // The drive letter of Directory, lower case.
  char Drive() const;
  // Moves to the current folder of another drive (its root when unknown).
  void SetDrive(char value);
  // The full path of a line.
  std::string GetItemPath(int index) const;
  // The line's depth below the root (0 for the root).
  int ItemLevel(int index) const;
  // Opens the folder of a line (the selected one for -1).
  void OpenCurrent(int index = -1);

  TNotifyEvent OnChange;

protected:
  void WndProc(TMessage& message) override;
  void DrawItem(int index, const TRect& rect, TOwnerDrawState state) override;
  void DblClick() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;

private:
  friend class TDriveComboBox;
  void BuildList();

  std::string directory_;
  TDriveComboBox* driveBox_ = nullptr;  // shows our drive
  std::vector<std::string> paths_;
  std::vector<int> levels_;
  int openIndex_ = 0;  // the line of the current folder
};

class TDriveComboBox : public TCustomComboBox {
  KY_CLASS(TDriveComboBox, TCustomComboBox)
public:
  explicit TDriveComboBox(TComponent* owner);
  ~TDriveComboBox() override;
  static void Publish(TPublisher<TDriveComboBox>& p);

  char Drive() const { return drive_; }
  void SetDrive(char value);
  TDirectoryListBox* DirList() const { return dirList_; }
  void SetDirList(TDirectoryListBox* value);
  // Reads the drives of the system again.
  void BuildList();

protected:
  void Change() override;
  void Notification(TComponent* component, TOperation operation) override;
  void CreateHandleDone() override;

private:
  friend class TDirectoryListBox;
  // Shows the directory list's drive, which it moved to itself.
  void FollowDrive(char value);

  char drive_ = 'c';
  std::vector<char> letters_;
  TDirectoryListBox* dirList_ = nullptr;
};

// The existing folder that a path names, or its nearest existing parent;
// empty when not even its drive exists.
std::string NearestExistingFolder(const std::string& path);
