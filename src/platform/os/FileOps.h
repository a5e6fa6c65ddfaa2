// File and folder operations of the installer: tree and mask deletion,
// removing emptied folders, copying and creating folders.
#pragma once

#include <string>

#include "platform/base/FileNames.h"

bool FileExists(const std::string& fileName);       // an existing entry that is not a folder
bool DirectoryExists(const std::string& folder);

#include <vector>

// Deletes a file, clearing its read-only attribute first. True when no entry
// of that name is left, also when there was none; a folder of that name
// counts as left.
bool DeleteFileForce(const std::string& fileName);

// Deletes every entry below folder, and folder itself when removeRoot.
// Folders of any attributes are walked into, read-only attributes cleared
// first; links to folders are removed without following them. Returns the
// entries that could not be deleted (empty: everything went; a missing
// folder is nothing to delete).
std::vector<std::string> DeleteTree(const std::string& folder, bool removeRoot);

// Deletes the plain files of folder matching mask: attributes exactly
// "archive", names not beginning with "_". Returns those that could not be
// deleted.
std::vector<std::string> DeleteFilesInFolder(const std::string& folder, const std::string& mask);

// Moves src onto dst, replacing an existing file in one step; raises
// EOSError naming both.
void MoveFileReplace(const std::string& src, const std::string& dst);

// Creates a new, empty file with a name no entry of folder has yet and
// returns its path; raises EOSError.
std::string CreateUniqueFile(const std::string& folder, const char* prefix);

// True when both names lead to the same file: full paths compared, "." and
// ".." resolved, without regard to case.
bool SameFilePath(const std::string& a, const std::string& b);

// Removes the folder when it is empty, then keeps removing while it works
// with path cut after its last "\": without a final "\" this takes the
// emptied parent too, with one only the folder itself.
void RemoveEmptyFolder(const std::string& path);

// Copies src over dst, replacing it; raises EOSError naming both.
void CopyFileReplace(const std::string& src, const std::string& dst);

// Creates folder and any missing parents; raises EOSError naming the folder
// that could not be created.
void ForceDirectories(const std::string& folder);

// True when path begins with the letter of a drive of this machine that is
// not a network drive ("C:\...").
bool IsLocalDrivePath(const std::string& path);

// One entry of a folder: a link to a folder counts as a file, so that
// walking a tree never follows it out.
struct TFolderEntry {
  std::string Name;
  bool Folder = false;
  bool Plain = false;  // attributes exactly "archive"
};
// The entries of one folder, without "." and ".."; empty when it is missing.
std::vector<TFolderEntry> ListFolder(const std::string& folder);

// Removes an empty folder, clearing its read-only attribute first. True when
// no folder of that name is left.
bool RemoveFolder(const std::string& folder);

// Moves src to dst, which must not exist (a file or a folder, on the same
// drive); raises EOSError naming both.
void MoveEntry(const std::string& src, const std::string& dst);
