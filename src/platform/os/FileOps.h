// File and folder operations of the installer: tree and mask deletion,
// removing emptied folders, copying and creating folders.
#pragma once

#include <string>

#include "platform/base/FileNames.h"

bool FileExists(const std::string& fileName);       // an existing entry that is not a folder
bool DirectoryExists(const std::string& folder);

// Deletes every entry below folder, and folder itself when removeRoot.
// Only entries whose attributes are exactly "directory" are walked into;
// anything else (read-only or hidden folders too) is deleted as a file.
// Failures are ignored: what cannot be deleted stays.
void DeleteTree(const std::string& folder, bool removeRoot);

// Deletes the plain files of folder matching mask: attributes exactly
// "archive", names not beginning with "_". Failures are ignored.
void DeleteFilesInFolder(const std::string& folder, const std::string& mask);

// Removes the folder when it is empty, then keeps removing while it works
// with path cut after its last "\": without a final "\" this takes the
// emptied parent too, with one only the folder itself.
void RemoveEmptyFolder(const std::string& path);

// Copies src over dst, replacing it; raises EOSError naming both.
void CopyFileReplace(const std::string& src, const std::string& dst);

// Creates folder and any missing parents; raises EOSError naming the folder
// that could not be created.
void ForceDirectories(const std::string& folder);
