// The running processes, by the file their program was started from.
#pragma once

#include <string>
#include <vector>

// Full paths of the programs of the running processes whose program file
// is named fileName (without regard to case). A process whose path cannot
// be asked (another user's, protected) is left out.
std::vector<std::string> RunningProgramPaths(const std::string& fileName);
