// The journal of the run in progress. Every change an installation or a
// removal makes is written into it before it is made: files and folders it
// creates, files it replaces or deletes (moved aside, not deleted, until the
// run succeeds), files it edits (copied aside first), registry values and
// keys it changes (their old state). A run that fails is undone from it at
// once; one that was stopped is undone at the next start, or completed when
// it had already written its record.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/os/Registry.h"

class TWinFileStream;

class TRunJournal {
public:
  explicit TRunJournal(TRegistry& registry);
  ~TRunJournal();

  // The outermost Begin starts a journal in file (none on disk when file is
  // empty); nested runs write into the same one.
  void Begin(const std::string& file);
  // The outermost End completes a run that succeeded (the aside copies go,
  // emptied folders are removed) or undoes one that failed, then deletes
  // the journal. True when this End was the outermost.
  bool End(bool succeeded);
  int Depth() const { return depth_; }

  void CreatingFolder(const std::string& folder);
  // Before creating a file that is not there.
  void CreatingFile(const std::string& file);
  // The file of the last CreatingFile was there after all.
  void FileExisted(const std::string& file);
  // Moves an existing file aside; raises EOSError when it cannot be moved.
  void MoveAside(const std::string& file);
  // Copies an existing file aside before it is edited in place (once a run).
  void CopyAside(const std::string& file);
  // A folder the run emptied: removed when the run succeeds and it is empty;
  // climbing as RemoveEmptyFolder does, or only the folder itself.
  void FolderEmptied(const std::string& folder, bool climbing);
  void ChangingValue(const std::string& section, const std::string& value);
  void ErasingKey(const std::string& section);

  // At start: a journal left by a stopped run is undone, or completed when
  // the run had got as far as its record.
  enum TRecovery { rcNone, rcUndone, rcFinished };
  static TRecovery Recover(const std::string& file, TRegistry& registry);

private:
  using TOp = std::vector<std::string>;
  void Write(TOp op);
  void Complete();
  void Undo();
  void Close();

  TRegistry& registry_;
  std::string file_;
  std::unique_ptr<TWinFileStream> stream_;
  std::vector<TOp> ops_;
  std::set<std::string> copied_;   // upper-cased paths already copied aside
  std::set<std::string> newKeys_;  // upper-cased keys this run created
  int depth_ = 0;
  int sequence_ = 0;
};
