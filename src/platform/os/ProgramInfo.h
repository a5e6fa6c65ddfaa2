// Facts about the running program.
#pragma once

#include <string>

// Full path of the running program's executable file.
std::string ProgramFileName();
