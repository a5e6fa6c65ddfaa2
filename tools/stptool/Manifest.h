// The manifest a product author writes to describe a setup file, and the
// packing of a manifest into a setup file.
#pragma once

#include <string>
#include <vector>

#include "setup/SetupFile.h"

struct TManifestFile {
  std::string Name;    // installed relative name ("Lib\KyPanel.dcu")
  std::string Source;  // file to take the content from
  int Line = 0;
};

struct TManifest {
  TSetupProduct Product;
  std::vector<TManifestFile> Files;
  std::vector<std::string> Obsolete;
};

// Parses an INI manifest: [Product] (Name, Kind, Qualifier, Version,
// BaseVersion, Update, Shortcuts, Requires, Picture), [Files] with
// "installed\name=source path" lines and [Obsolete] with one name per line.
// Source and picture paths are relative to the manifest's folder. Errors
// raise an Exception naming the manifest and the line.
TManifest ParseManifest(const std::string& text, const std::string& manifestName, const std::string& baseFolder);
TManifest LoadManifest(const std::string& fileName);

// Writes the setup file; a half-written output is removed again on failure.
void PackSetupFile(const TManifest& manifest, const std::string& outFile);

// "dir\file" with "/" turned into "\" so that paths given either way work.
std::string NormalizeSeparators(std::string path);
