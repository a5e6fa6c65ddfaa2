// What the images and display sources share: the image entries of an images
// package as groups of "key=value" lines, with the pictures and regions as
// files in a folder beside the source, and a holder that keeps the packages
// the tool builds in their loading state (no passes, no duplicate checks:
// what a file holds is what the source holds).
#pragma once

#include <string>

#include "PkgSource.h"
#include "packages/PkgImages.h"

// The owner of the packages the tool builds.
TComponent* SourcePackageHolder();

// Reads the entries of section into pkg; with packageKeys the section also
// holds the package's Description, Preserved and Flags before its first Id.
void CompileImageEntries(const TPkgSource& src, const TSourceSection& section, TKyPkgImages& pkg, bool packageKeys);
// Writes section with pkg's entries; pictures and regions go to files in
// folder (relative to the source, "/"-separated, e.g. "Standard/User").
void DecompileImageEntries(TKyPkgImages& pkg, TSourceWriter& out, const std::string& section,
                           const std::string& folder, bool packageKeys);

// The [Package] values of an images package.
void CompileImagesPackageKeys(const TPkgSource& src, const TSourceEntry& e, TKyPkgImages& pkg);
void DecompileImagesPackageKeys(TKyPkgImages& pkg, TSourceWriter& out);

// "Standard.display" -> "Standard": where a source keeps its pictures.
std::string SourceBaseName(const std::string& fileName);
