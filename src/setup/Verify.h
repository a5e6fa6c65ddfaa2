// Compares installed products with their stored setup files: every file
// present with the same size and bytes, the design-time packages still
// registered, the help entries still in the contents files, the record's
// values those an installation writes. A repair is a re-install.
#pragma once

#include <string>
#include <vector>

#include "setup/SetupState.h"

struct TVerifyReport {
  int Products = 0;                      // items compared
  std::vector<std::string> Differences;  // "identifier: what differs"
};

// Every item of the products list but the installer, or those of one
// identifier (without regard to case). Changes nothing.
TVerifyReport VerifyInstallation(const TSetupState& state, const std::string& identifier = "");
