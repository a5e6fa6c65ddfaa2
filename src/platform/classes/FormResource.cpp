#include "platform/classes/FormResource.h"

#include "platform/os/WinApi.h"

#include "platform/classes/FormStream.h"

bool FindFormResource(const std::string& name, std::vector<uint8_t>& bytes, void* module) {
  HMODULE m = module ? static_cast<HMODULE>(module) : GetModuleHandleA(nullptr);
  HRSRC info = FindResourceA(m, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!info) return false;
  HGLOBAL handle = LoadResource(m, info);
  const void* data = handle ? LockResource(handle) : nullptr;
  if (!data) throw EResNotFound("Resource " + name + " cannot be loaded");
  const auto* p = static_cast<const uint8_t*>(data);
  bytes.assign(p, p + SizeofResource(m, info));
  return true;
}

bool InitInheritedComponent(TComponent* root, const TClassInfo& stopClass, void* module) {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = &root->ClassType(); c && c != &stopClass; c = c->Parent()) chain.push_back(c);
  TFormLoading loading;
  bool found = false;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    std::vector<uint8_t> bytes;
    if (!FindFormResource((*it)->Name(), bytes, module)) continue;
    TMemoryStream stream(std::move(bytes));
    TReader reader(stream);
    reader.ReadRootComponent(root, loading);
    found = true;
  }
  if (found) loading.Finish();
  return found;
}
