// Standard error as a program's progress output: a console window, or
// anything else (a file, a pipe), told apart once.
#pragma once

#include <string>

class TErrorOutput {
public:
  TErrorOutput();
  // True when standard error is a console, where a line can be redrawn.
  bool IsConsole() const { return console_; }
  // Writes the text in one call to the system; errors are dropped, as
  // progress output must never end the work it reports on.
  void Write(const std::string& text) const;

private:
  void* handle_;
  bool console_ = false;
};
