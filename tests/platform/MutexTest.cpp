#include <gtest/gtest.h>
#include "platform/os/WinApi.h"
#include <sddl.h>

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

// A mutex of another user (here: one whose rights give this process only
// SYNCHRONIZE) cannot be opened with full access: it still counts as a
// copy that runs, and is no error.
TEST(NamedMutex, AMutexThatRefusesFullAccessStillCounts) {
  const std::string name = "__KyTestMutexDenied_" + std::to_string(GetCurrentProcessId()) + "__";
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;0x00100000;;;WD)", SDDL_REVISION_1, &sd,
                                                                   nullptr));
  SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
  HANDLE raw = CreateMutexA(&sa, FALSE, name.c_str());
  LocalFree(sd);
  ASSERT_NE(raw, nullptr);
  // The platform does check the rights: a full open is refused.
  HANDLE full = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str());
  if (full) CloseHandle(full);
  ASSERT_EQ(full, nullptr);
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  std::unique_ptr<TNamedMutex> second;
  ASSERT_NO_THROW(second = std::make_unique<TNamedMutex>(name));
  EXPECT_TRUE(second->AlreadyExisted());
  CloseHandle(raw);
}
