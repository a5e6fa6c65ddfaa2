// Raising errors whose text is a message of a strings package, chosen by
// package name and id in the current language.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/base/SysUtils.h"

// Answers a message text by package name and id, or nothing when that
// package or message does not exist: asked only when no strings package of
// that name exists (programs that run without their packages).
using TMessageLookup = std::function<std::optional<std::string>(const std::string& package, int id)>;

// Installs the lookup used by the raisers and returns the previous one.
TMessageLookup SetMessageLookup(TMessageLookup lookup);

// The message of the active strings package of that name, else of the
// lookup, else "Message Unknown (package) (id)".
std::string MessageText(const std::string& package, int id);

// The exception text: completed with "." unless it ends in "." or "?",
// and preceded by "(name) " when a component name is given.
std::string CompleteMessage(const std::string& name, const std::string& text);

[[noreturn]] void RaiseError(const std::string& name, const std::string& text);
[[noreturn]] void RaiseErrorFmt(const std::string& name, const std::string& format,
                                const std::vector<TFormatArg>& args);
[[noreturn]] void RaiseMessage(const std::string& name, const std::string& package, int id);
[[noreturn]] void RaiseMessageFmt(const std::string& name, const std::string& package, int id,
                                  const std::vector<TFormatArg>& args);
