#include "setup/ProductRecord.h"

std::string ProductKey(const std::string& identifier) { return std::string(kMakerKey) + "\\" + identifier; }

TVersion InstalledVersion(const TRegistry& registry, const std::string& identifier, bool update) {
  std::string key = ProductKey(identifier);
  const char* suffix = update ? "Upd" : "";
  return {registry.ReadInteger(key, std::string("Ver1") + suffix, 0),
          registry.ReadInteger(key, std::string("Ver2") + suffix, 0),
          registry.ReadInteger(key, std::string("Ver3") + suffix, 0)};
}

void FillProducts(TSetupState& state) {
  state.Products.Clear();
  for (const std::string& id : state.Registry.GetKeyNames(kMakerKey)) {
    std::string key = ProductKey(id);
    state.Products.Add({id, state.Registry.ReadString(key, "Description", id), 0});
    std::string update = state.Registry.ReadString(key, "DescriptionUpd", "");
    if (!update.empty()) state.Products.Add({id, update, 1});
  }
}
