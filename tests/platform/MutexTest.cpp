#include <gtest/gtest.h>
#include "platform/os/WinApi.h"

#include <memory>
#include <string>

#include "platform/os/Mutex.h"

TEST(NamedMutex, TellsWhetherItAlreadyExisted) {
  const std::string name = "__KyTestMutex_" + std::to_string(GetCurrentProcessId()) + "__";
  auto first = std::make_unique<TNamedMutex>(name);
  EXPECT_FALSE(first->AlreadyExisted());
  {
    TNamedMutex second(name);
    EXPECT_TRUE(second.AlreadyExisted());
  }
  // The first one still holds it.
  EXPECT_TRUE(TNamedMutex(name).AlreadyExisted());
  first.reset();
  // Closed everywhere: the name is free again.
  EXPECT_FALSE(TNamedMutex(name).AlreadyExisted());
  EXPECT_FALSE(TNamedMutex(name + "other").AlreadyExisted());
}

TEST(NamedMutex, SeesAMutexMadeOutsideTheWrapper) {
  const std::string name = "__KyTestMutexRaw_" + std::to_string(GetCurrentProcessId()) + "__";
  HANDLE raw = CreateMutexA(nullptr, TRUE, name.c_str());
  ASSERT_NE(raw, nullptr);
  EXPECT_TRUE(TNamedMutex(name).AlreadyExisted());
  CloseHandle(raw);
  EXPECT_FALSE(TNamedMutex(name).AlreadyExisted());
}
