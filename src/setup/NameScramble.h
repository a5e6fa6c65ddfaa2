// Scrambling of the file names stored in setup files. Portable.
#pragma once

#include <string>

// Writers scramble, readers unscramble; both work on the bytes in place and
// leave the length unchanged (a last odd byte is never touched).
void ScrambleName(std::string& name);
void UnscrambleName(std::string& name);
