#include "platform/base/ShortCutText.h"

#include "platform/base/SysUtils.h"

namespace {

struct TKeyName {
  uint8_t Key;
  const char* Name;
};

const TKeyName kKeyNames[] = {
    {0x08, "BkSp"},  {0x09, "Tab"},  {0x0D, "Enter"}, {0x1B, "Esc"},   {0x20, "Space"},
    {0x21, "PgUp"},  {0x22, "PgDn"}, {0x23, "End"},   {0x24, "Home"},  {0x25, "Left"},
    {0x26, "Up"},    {0x27, "Right"}, {0x28, "Down"}, {0x2D, "Ins"},   {0x2E, "Del"},
};

std::string KeyName(uint8_t key) {
  for (const TKeyName& k : kKeyNames)
    if (k.Key == key) return k.Name;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  std::string name;
  if (key >= 0x60 && key <= 0x69) name.append("Num ").append(std::to_string(key - 0x60));
  if (key >= 0x70 && key <= 0x87) name.append("F").append(std::to_string(key - 0x70 + 1));
  return name;
}

}  // namespace

std::string ShortCutToText(TShortCut shortCut) {
  if (shortCut == 0) return "(None)";
  std::string name = KeyName(static_cast<uint8_t>(shortCut & 0xFF));
  if (name.empty()) return std::string();
  std::string text;
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scAlt) text += "Alt+";
  return text + name;
}

TShortCut TextToShortCut(const std::string& text) {
  std::string rest = Trim(text);
  TShortCut mods = 0;
  for (;;) {
    // "Num +" style names do not exist here, so every "+" ends a modifier.
    size_t plus = rest.find('+');
    if (plus == std::string::npos || plus + 1 == rest.size()) break;
    std::string mod = Trim(rest.substr(0, plus));
    if (SameText(mod, "Shift")) mods |= scShift;
    else if (SameText(mod, "Ctrl")) mods |= scCtrl;
    else if (SameText(mod, "Alt")) mods |= scAlt;
    else return 0;
    rest = Trim(rest.substr(plus + 1));
  }
  if (rest.empty() || SameText(rest, "(None)")) return 0;
  for (int key = 1; key < 256; ++key) {
    std::string name = KeyName(static_cast<uint8_t>(key));
    if (!name.empty() && SameText(name, rest)) return static_cast<TShortCut>(mods | key);
  }
  return 0;
}
