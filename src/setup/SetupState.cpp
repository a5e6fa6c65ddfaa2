#include "setup/SetupState.h"

#include "platform/base/SysUtils.h"

int TProductList::Find(const std::string& value, int data) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (SameText(items_[i].Value, value) && (data < 0 || items_[i].Data == data)) return static_cast<int>(i);
  return -1;
}

bool TProductList::Remove(const std::string& value, int data) {
  int i = Find(value, data);
  if (i < 0) return false;
  Delete(i);
  return true;
}

void TProductList::Delete(int index) { items_.erase(items_.begin() + index); }
