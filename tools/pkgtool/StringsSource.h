// The parts of a strings source that the language source reuses for its
// two nested strings packages.
#pragma once

#include <string>

#include "PkgSource.h"
#include "packages/PkgStrings.h"

// Description and Preserved from the entries of keys (nullptr: none).
void CompileStringsKeys(const TPkgSource& src, const TSourceSection* keys, TKyPkgStrings& s);
// The sections prefix + "Labels", "Messages" and "Texts".
void CompileStringsTables(const TPkgSource& src, const std::string& prefix, TKyPkgStrings& s);
void DecompileStringsKeys(TKyPkgStrings& s, TSourceWriter& out);
void DecompileStringsTables(TKyPkgStrings& s, TSourceWriter& out, const std::string& prefix);
