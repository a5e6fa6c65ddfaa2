#include <gtest/gtest.h>

#include <string>

#include "platform/base/FileNames.h"
#include "platform/base/SysUtils.h"
#include "platform/os/FileOps.h"
#include "platform/os/ProgramInfo.h"
#include "platform/os/Processes.h"

TEST(RunningPrograms, FindThisProgramByItsNameInAnyCaseWithItsFullPath) {
  const std::string self = ProgramFileName();
  for (const std::string& name : {ExtractFileName(self), UpperCase(ExtractFileName(self))}) {
    bool found = false;
    for (const std::string& path : RunningProgramPaths(name)) found = found || SameFilePath(path, self);
    EXPECT_TRUE(found) << name;
  }
  EXPECT_TRUE(RunningProgramPaths("no-such-program-" + ExtractFileName(self)).empty());
}
