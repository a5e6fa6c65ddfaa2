// The installed-products record below HKEY_CURRENT_USER "SoftWare\Tessaro":
// the maker's values, one sub-key per product and one for the installer.
#pragma once

#include <string>

#include "setup/ProductInfo.h"
#include "setup/SetupState.h"

inline constexpr const char* kMakerKey = "SoftWare\\Tessaro";

// "SoftWare\Tessaro\<identifier>".
std::string ProductKey(const std::string& identifier);

// Installed version of a product sub-key ("Ver1".."Ver3", or the "Upd"
// values for its update); missing values read 0.
TVersion InstalledVersion(const TRegistry& registry, const std::string& identifier, bool update);

// Fills the products list from the record: per product sub-key in
// enumeration order a base item, and an update item when "DescriptionUpd"
// is not empty.
void FillProducts(TSetupState& state);
