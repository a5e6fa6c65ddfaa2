// Shortcuts in program groups: internet shortcuts (".url") and shell links
// (".lnk") through the shell's COM objects.
#pragma once

#include <string>

#include "platform/os/WinTypes.h"

// Initialises COM (apartment-threaded) for the calling thread for its
// lifetime. Raises EOSError when COM cannot be initialised at all.
class TComInit {
public:
  TComInit();
  ~TComInit();
  TComInit(const TComInit&) = delete;
  TComInit& operator=(const TComInit&) = delete;

private:
  bool initialised_ = false;
};

// Writes "[InternetShortcut]" and "URL=<address>", replacing the file.
// A shortcut that cannot be written raises the stream's error: a group the
// user believes complete must be.
void WriteInternetShortcut(const std::string& fileName, const std::string& address);

// Saves a shell link to target with an empty argument list and description.
// Needs COM on the calling thread. The first failing call raises EOSError
// carrying its HRESULT (also in the message, in hex); the link is then not
// written.
void CreateShellLink(const std::string& linkFile, const std::string& target, const std::string& workingFolder);

// Asks the shell to "open" target (a document, program, web address or
// "mailto:" address), shown normally, with parent as the owner window of
// anything the shell shows. The shell's answer is not an error here: true
// when it accepted.
bool ShellOpen(const std::string& target, HWND parent);
