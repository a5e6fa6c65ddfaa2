// Microseconds since this process was created, by the system's clock.
#pragma once

#include <windows.h>

inline long long MicrosecondsSinceStart() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimePreciseAsFileTime(&now);
  auto value = [](const FILETIME& f) {
    return (static_cast<long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  return (value(now) - value(created)) / 10;
}
