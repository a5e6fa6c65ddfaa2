// The 32-bit world of a 64-bit Windows. The development environments the
// installer serves are 32-bit programs: their machine keys live in the
// registry's 32-bit view and their run-time packages in the 32-bit system
// folder, whichever build of ours runs.
#pragma once

#include <string>

// True on a 64-bit Windows that runs 32-bit programs (a 32-bit view of the
// registry and a 32-bit system folder exist); false on a 32-bit Windows.
bool SystemHas32BitView();

// The system folder 32-bit programs load from ("...\SysWOW64" on a 64-bit
// Windows); "" where there is no such separate folder.
std::string System32BitFolder();
