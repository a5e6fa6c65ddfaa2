// A named mutex used to keep to one running copy of a program.
#pragma once

#include <string>

#include "platform/os/Handles.h"

class TNamedMutex {
public:
  // Opens the mutex of that name with full access, or creates it (not
  // owned) when there is none. One that refuses this process (another
  // user's) counts as existing. Raises EOSError when neither works.
  explicit TNamedMutex(const std::string& name);
  TNamedMutex(const TNamedMutex&) = delete;
  TNamedMutex& operator=(const TNamedMutex&) = delete;

  // True when the mutex was there before this object: another holder runs.
  bool AlreadyExisted() const { return existed_; }

private:
  TKernelHandle handle_;
  bool existed_ = false;
};
