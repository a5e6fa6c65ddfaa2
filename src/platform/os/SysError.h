// Texts of operating-system error codes, for messages of EOSError and friends.
#pragma once

#include <string>

// The system's text for a Win32 error code, without the trailing line break
// ("" when the system has none).
std::string SysErrorMessage(unsigned long code);

// A code as "0x" and eight upper-case hex digits, the way HRESULTs are quoted.
std::string HexCode(unsigned long code);
