// The platform's file-open dialog as a component.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/classes/Classes.h"
#include "platform/classes/StringList.h"

KY_ENUM(TOpenOption, uint8_t, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofAllowMultiSelect,
        ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofNoReadOnlyReturn,
        ofNoTestFileCreate, ofNoNetworkButton, ofNoDereferenceLinks)
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TComponent {
  KY_CLASS(TOpenDialog, TComponent)
public:
  explicit TOpenDialog(TComponent* owner);
  ~TOpenDialog() override;
  static void Publish(TPublisher<TOpenDialog>& p);

  // "Description|pattern|Description|pattern", as forms store it.
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& value) { filter_ = value; }
  // 1 for the first pair of Filter.
  int32_t FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int32_t value) { filterIndex_ = value; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value) { fileName_ = value; }
  const std::string& InitialDir() const { return initialDir_; }
  void SetInitialDir(const std::string& value) { initialDir_ = value; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const std::string& value) { defaultExt_ = value; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions value) { options_ = value; }
  // Every chosen file (one unless ofAllowMultiSelect).
  TStrings* Files() const { return files_.get(); }

  // Shows the dialog modally over the active form; true when the user
  // chose a file (FileName and Files hold it), false on cancel. A failure
  // of the dialog itself raises.
  bool Execute();

  // The platform's double-zero-terminated filter for a Filter text.
  static std::string PlatformFilter(const std::string& filter);

private:
  std::string filter_;
  int32_t filterIndex_ = 1;
  std::string fileName_;
  std::string initialDir_;
  std::string title_;
  std::string defaultExt_;
  TOpenOptions options_{ofHideReadOnly};
  std::unique_ptr<TStringList> files_;
};
