#include "packages/MessageService.h"

#include "packages/PkgStrings.h"
#include "platform/base/Exception.h"

namespace {

TMessageLookup& Lookup() {
  static TMessageLookup lookup;
  return lookup;
}

// The message, or nothing when no package of that name holds it.
std::optional<std::string> FindMessageText(const std::string& package, int id) {
  if (TKyPkgStrings* pkg = FindStringsPackage(package)) {
    if (TKyPkgStringsMessage* m = pkg->FindMessage(id)) return m->Text();
  } else if (Lookup()) {
    return Lookup()(package, id);
  }
  return std::nullopt;
}

std::string UnknownMessage(const std::string& package, int id) {
  return Format("Message Unknown (%s) (%d)", {package, int64_t{id}});
}

}  // namespace

TMessageLookup SetMessageLookup(TMessageLookup lookup) {
  TMessageLookup old = std::move(Lookup());
  Lookup() = std::move(lookup);
  return old;
}

std::string MessageText(const std::string& package, int id) {
  std::optional<std::string> text = FindMessageText(package, id);
  return text ? *text : UnknownMessage(package, id);
}

std::string CompleteMessage(const std::string& name, const std::string& text) {
  std::string s = text;
  if (s.empty() || (s.back() != '.' && s.back() != '?')) s += '.';
  if (!name.empty()) s = "(" + name + ") " + s;
  return s;
}

void RaiseError(const std::string& name, const std::string& text) {
  throw Exception(CompleteMessage(name, text));
}

void RaiseErrorFmt(const std::string& name, const std::string& format, const std::vector<TFormatArg>& args) {
  RaiseError(name, Format(format, args));
}

void RaiseMessage(const std::string& name, const std::string& package, int id) {
  RaiseError(name, MessageText(package, id));
}

void RaiseMessageFmt(const std::string& name, const std::string& package, int id,
                     const std::vector<TFormatArg>& args) {
  // The unknown text is not a format: a package name with "%" stays as it is.
  std::optional<std::string> text = FindMessageText(package, id);
  RaiseError(name, text ? Format(*text, args) : UnknownMessage(package, id));
}
