#include "skin/KyMask.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "packages/CApplication.h"
#include "packages/CForm.h"
#include "packages/MessageService.h"
#include "platform/base/SysUtils.h"

namespace {

const char* const kSystem = "System";
// Larger repeat counts in a picture are refused: a mask text may come from
// a damaged form stream.
constexpr int kMaxRepeat = 4096;
// "%.*f" with more decimals than a double holds only shows noise.
constexpr int kMaxDecimals = 18;

bool IsLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == 0xD1 || c == 0xF1;  // Ñ ñ
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsPrintable(unsigned char c) { return c >= 32 && c != 127; }

// The class letter of a character of a string mask: 's', 'a', 'd', 'w'.
char CharClass(unsigned char c) {
  if (c == ' ') return 'w';
  if (IsDigit(c)) return 'd';
  if (IsLetter(c)) return 'a';
  return 's';
}

std::string TwoDigits(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%2.2d", v);
  return buf;
}

std::string FourDigits(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%4.4d", v);
  return buf;
}

const std::string* NameAt(const std::vector<std::string>& names, int index) {
  if (index < 0 || index >= static_cast<int>(names.size())) return nullptr;
  return &names[static_cast<size_t>(index)];
}

[[noreturn]] void RaiseMaskError(TKyCompiledMask& target, const std::string& owner, const std::string& text) {
  // A refused text leaves no mask behind.
  target.Reset();
  RaiseMessageFmt(owner, kSystem, 5, {text});
}

}  // namespace

// ---- Compiled mask ----

void TKyCompiledMask::Reset() {
  DataType = dtyString;
  Picture.clear();
  Alignment = 0;
  Blank = ' ';
  flags_.fill(false);
}

const TKyPkgLanguageLocale& TKyCompiledMask::TheLocale() const { return Locale ? *Locale : ActiveLocale(); }
char TKyCompiledMask::DecimalSeparator() const { return TKyPkgLanguageLocale::SeparatorChar(TheLocale().DecimalSeparator, '.'); }
char TKyCompiledMask::ThousandSeparator() const { return TKyPkgLanguageLocale::SeparatorChar(TheLocale().ThousandSeparator, ','); }
char TKyCompiledMask::DateSeparator() const { return TKyPkgLanguageLocale::SeparatorChar(TheLocale().DateSeparator, '/'); }
char TKyCompiledMask::TimeSeparator() const { return TKyPkgLanguageLocale::SeparatorChar(TheLocale().TimeSeparator, ':'); }

int TKyCompiledMask::DateOrder() const {
  int order = TheLocale().DateOrder;
  return order < 0 ? 0 : order > 2 ? 2 : order;
}

bool TKyCompiledMask::IsEditable(int position) const {
  return position >= 0 && position < static_cast<int>(Picture.size()) && Picture[static_cast<size_t>(position)] == kMaskEditable;
}

int TKyCompiledMask::EditableCount() const {
  int n = 0;
  for (char c : Picture) n += c == kMaskEditable;
  return n;
}

int TKyCompiledMask::NextEditable(int from) const {
  for (int i = from < 0 ? 0 : from; i < static_cast<int>(Picture.size()); ++i)
    if (Picture[static_cast<size_t>(i)] == kMaskEditable) return i;
  return -1;
}

int TKyCompiledMask::PrevEditable(int before) const {
  for (int i = std::min(before, static_cast<int>(Picture.size())) - 1; i >= 0; --i)
    if (Picture[static_cast<size_t>(i)] == kMaskEditable) return i;
  return -1;
}

int TKyCompiledMask::DateFields(TDateField* fields) const {
  int n = 0;
  const bool day = Has('d');
  const bool month = Has('m') || Has('2') || Has('M');
  const bool year = Has('y') && DateYear != dyeNone;
  const int yearDigits = DateYear == dyeYear2 ? 2 : 4;
  auto add = [&](char kind, bool present, int digits) {
    if (present) fields[n++] = TDateField{kind, digits};
  };
  switch (DateOrder()) {
    case 0:
      add('d', day, 2), add('m', month, 2), add('y', year, yearDigits);
      break;
    case 1:
      add('m', month, 2), add('d', day, 2), add('y', year, yearDigits);
      break;
    default:
      add('y', year, yearDigits), add('m', month, 2), add('d', day, 2);
      break;
  }
  add('h', Has('h'), 2), add('n', Has('n'), 2), add('s', Has('s'), 2);
  return n;
}

// ---- Compiling ----

void CompileMask(TKyCompiledMask& target, const std::string& text, TKyDataType type, const std::string& ownerName) {
  target.Reset();
  target.DataType = type;
  if (type == dtyBinary || type == dtyMemo) return;
  // Integer values hold no decimals, whatever the source says.
  if (type == dtyInteger) target.Decimals = 0;
  if (target.Decimals < 0) target.Decimals = 0;
  if (target.Decimals > kMaxDecimals) target.Decimals = kMaxDecimals;

  std::string t = Trim(text);
  switch (type) {
    case dtyString:
      t = t.empty() ? "<sadw" : "<" + t;
      break;
    case dtyDateTime:
      t = t.empty() ? "<dmy" : "<" + t;
      break;
    case dtyInteger:
      t = ">" + t;
      break;
    default:
      t = t.empty() ? ">.-" : ">" + t;
      break;
  }
  std::vector<std::string> sections;
  size_t start = 0;
  for (;;) {
    size_t semi = t.find(';', start);
    sections.push_back(t.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  auto fail = [&] { RaiseMaskError(target, ownerName, text); };

  // Reads a section of flag letters (spaces ignored) from those allowed.
  auto readFlags = [&](const std::string& section, const char* allowed) {
    for (char c : section) {
      if (c == ' ') continue;
      if (c == '<' || c == '>' || c == '%') {
        target.Alignment = c;
      } else if (c != '\0' && std::string(allowed).find(c) != std::string::npos) {
        target.SetFlag(c, true);
      } else {
        fail();
      }
    }
  };

  if (IsNumericDataType(type)) {
    if (sections.size() != 1) fail();
    readFlags(sections[0], "+-*.$0");
    return;
  }

  if (type == dtyDateTime) {
    if (sections.size() != 1) fail();
    readFlags(sections[0], "d1Dm2Myhns");
    target.Blank = '_';
    TKyCompiledMask::TDateField fields[6];
    int n = target.DateFields(fields);
    std::string picture;
    bool inTime = false;
    for (int i = 0; i < n; ++i) {
      bool isTime = fields[i].Kind == 'h' || fields[i].Kind == 'n' || fields[i].Kind == 's';
      if (i > 0) {
        if (isTime && !inTime) picture += ' ';
        else picture += isTime ? target.TimeSeparator() : target.DateSeparator();
      }
      inTime = isTime;
      picture.append(static_cast<size_t>(fields[i].Digits), kMaskEditable);
    }
    target.Picture = picture;
    return;
  }

  // Strings: flags, picture, blank character.
  if (sections.size() > 3) fail();
  const std::string& flags = sections[0];
  for (char c : flags) {
    if (c == ' ') continue;
    if (c == 'f' || c == 'l' || c == 'u') {
      // One case letter at a time: the last one written wins.
      target.SetFlag('f', false), target.SetFlag('l', false), target.SetFlag('u', false);
    }
    readFlags(std::string(1, c), "sadwflu$*");
  }
  if (target.Has('$')) target.SetFlag('w', false);

  if (sections.size() >= 2) {
    const std::string& p = sections[1];
    std::string picture;
    for (size_t i = 0; i < p.size(); ++i) {
      char c = p[i];
      if (c == ' ') continue;
      if (c == kMaskEditable) fail();
      if (c == '~') {
        if (++i >= p.size() || p[i] == kMaskEditable) fail();
        picture += p[i];
      } else if (c == '#') {
        size_t j = i + 1;
        while (j < p.size() && p[j] == ' ') ++j;
        if (j < p.size() && p[j] == '(') {
          ++j;
          while (j < p.size() && p[j] == ' ') ++j;
          int count = 0;
          size_t digits = j;
          while (j < p.size() && IsDigit(static_cast<unsigned char>(p[j]))) {
            count = count * 10 + (p[j] - '0');
            if (count > kMaxRepeat) fail();
            ++j;
          }
          if (j == digits || count == 0) fail();
          while (j < p.size() && p[j] == ' ') ++j;
          if (j >= p.size() || p[j] != ')') fail();
          picture.append(static_cast<size_t>(count), kMaskEditable);
          i = j;
        } else {
          picture += kMaskEditable;
        }
      } else {
        picture += c;
      }
    }
    target.Picture = picture;
  }
  if (sections.size() == 3) {
    for (char c : sections[2]) {
      if (c == ' ') continue;
      if (c == kMaskEditable) fail();
      target.Blank = c;
      break;
    }
  }
}

// ---- Typing ----

bool TKyCompiledMask::CharAllowed(char& c) const {
  const unsigned char u = static_cast<unsigned char>(c);
  if (c == '\b') return true;
  switch (DataType) {
    case dtyInteger:
    case dtyCurrency:
    case dtyDouble:
      if (c == '-') return Has('+') || Has('-');
      if (c == '.') c = DecimalSeparator();
      if (c == DecimalSeparator()) return Decimals > 0;
      return IsDigit(u);
    case dtyString:
      if (!IsPrintable(u)) return false;
      return Has(CharClass(u));
    case dtyDateTime:
      return IsDigit(u);
    default:
      return IsPrintable(u);
  }
}

void TKyCompiledMask::BlankSelection(TKyMaskEditState& s) const {
  int end = std::min(s.SelStart + s.SelLength, static_cast<int>(s.Text.size()));
  for (int i = s.SelStart; i < end; ++i)
    if (IsEditable(i)) s.Text[static_cast<size_t>(i)] = Blank;
  s.SelLength = 0;
}

void TKyCompiledMask::DeleteAtEditable(std::string& text, int position) const {
  int cur = position;
  for (int next = NextEditable(cur + 1); next >= 0; cur = next, next = NextEditable(cur + 1))
    text[static_cast<size_t>(cur)] = text[static_cast<size_t>(next)];
  text[static_cast<size_t>(cur)] = Blank;
}

namespace {

// A text shaped like the picture: one that is not (set from outside) is
// taken as the characters of the editable positions, in order.
void Normalize(const TKyCompiledMask& m, TKyMaskEditState& s) {
  if (s.Text.size() != m.Picture.size()) s.Text = m.FillPicture(s.Text);
  int size = static_cast<int>(s.Text.size());
  s.SelStart = s.SelStart < 0 ? 0 : std::min(s.SelStart, size);
  s.SelLength = s.SelLength < 0 ? 0 : std::min(s.SelLength, size - s.SelStart);
}

void ClampFree(TKyMaskEditState& s) {
  int size = static_cast<int>(s.Text.size());
  s.SelStart = s.SelStart < 0 ? 0 : std::min(s.SelStart, size);
  s.SelLength = s.SelLength < 0 ? 0 : std::min(s.SelLength, size - s.SelStart);
}

}  // namespace

bool TKyCompiledMask::TypeChar(TKyMaskEditState& state, char c) const {
  if (!CharAllowed(c)) return false;
  TKyMaskEditState s = state;
  if (c == '\b') {
    if (!HasPicture()) {
      ClampFree(s);
      if (s.SelLength > 0) {
        s.Text.erase(static_cast<size_t>(s.SelStart), static_cast<size_t>(s.SelLength));
      } else if (s.SelStart > 0) {
        s.Text.erase(static_cast<size_t>(--s.SelStart), 1);
      }
      s.SelLength = 0;
    } else {
      Normalize(*this, s);
      if (s.SelLength > 0) {
        BlankSelection(s);
      } else {
        int prev = PrevEditable(s.SelStart);
        if (prev < 0) return false;
        s.SelStart = prev;
        DeleteAtEditable(s.Text, prev);
      }
    }
    state = s;
    return true;
  }
  // Other control characters are not text.
  if (static_cast<unsigned char>(c) < 32) return false;

  if (!HasPicture()) {
    ClampFree(s);
    if (!s.InsertMode && s.SelLength == 0 && s.SelStart < static_cast<int>(s.Text.size())) s.SelLength = 1;
    if (s.MaxLength > 0 && static_cast<int>(s.Text.size()) - s.SelLength + 1 > s.MaxLength) return false;
    s.Text.replace(static_cast<size_t>(s.SelStart), static_cast<size_t>(s.SelLength), 1, c);
    ++s.SelStart;
    s.SelLength = 0;
    state = s;
    return true;
  }

  Normalize(*this, s);
  if (s.SelLength > 0) BlankSelection(s);
  int pos = NextEditable(s.SelStart);
  if (pos < 0) return false;
  if (s.InsertMode) {
    if (!Has('w')) {
      for (int i = 0; i < s.SelStart; ++i)
        if (IsEditable(i) && s.Text[static_cast<size_t>(i)] == Blank) return false;
    }
    int last = PrevEditable(static_cast<int>(Picture.size()));
    if (s.Text[static_cast<size_t>(last)] != Blank) return false;
    // Shift right by one editable position, from the end back to pos.
    for (int cur = last, prev = PrevEditable(cur); cur != pos; cur = prev, prev = PrevEditable(cur))
      s.Text[static_cast<size_t>(cur)] = s.Text[static_cast<size_t>(prev)];
    s.Text[static_cast<size_t>(pos)] = c;
    s.SelStart = pos + 1;
  } else {
    s.Text[static_cast<size_t>(pos)] = c;
    int next = NextEditable(pos + 1);
    s.SelStart = next >= 0 ? next : pos + 1;
  }
  state = s;
  return true;
}

void TKyCompiledMask::DeleteChar(TKyMaskEditState& state) const {
  TKyMaskEditState& s = state;
  if (!HasPicture()) {
    ClampFree(s);
    if (s.SelLength > 0) s.Text.erase(static_cast<size_t>(s.SelStart), static_cast<size_t>(s.SelLength));
    else if (s.SelStart < static_cast<int>(s.Text.size())) s.Text.erase(static_cast<size_t>(s.SelStart), 1);
    s.SelLength = 0;
    return;
  }
  Normalize(*this, s);
  if (s.SelLength > 0) {
    BlankSelection(s);
    return;
  }
  int pos = NextEditable(s.SelStart);
  if (pos >= 0) DeleteAtEditable(s.Text, pos);
}

std::string TKyCompiledMask::EmptyText() const { return FillPicture(""); }

std::string TKyCompiledMask::FillPicture(const std::string& chars) const {
  std::string out;
  size_t next = 0;
  for (char p : Picture) {
    if (p == kMaskEditable) out += next < chars.size() ? chars[next++] : Blank;
    else out += p;
  }
  return out;
}

// ---- Numbers ----

double TKyCompiledMask::RoundToMask(double value) const {
  char buf[512];
  int n = std::snprintf(buf, sizeof buf, "%0.*f", Decimals, value);
  if (n < 0 || n >= static_cast<int>(sizeof buf)) return value;  // beyond any decimals that matter
  return std::strtod(buf, nullptr);
}

std::string TKyCompiledMask::FormatNumber(double value) const {
  value = RoundToMask(value);
  const bool negative = value < 0;
  std::string digits;
  {
    int n = std::snprintf(nullptr, 0, "%0.*f", Decimals, std::fabs(value));
    digits.resize(static_cast<size_t>(n) + 1);
    std::snprintf(digits.data(), digits.size(), "%0.*f", Decimals, std::fabs(value));
    digits.resize(static_cast<size_t>(n));
  }
  size_t point = digits.find('.');
  std::string whole = digits.substr(0, point);
  std::string fraction = point == std::string::npos ? "" : digits.substr(point + 1);
  std::string text;
  const bool thousands = Has('.');
  for (size_t i = 0; i < whole.size(); ++i) {
    if (thousands && i > 0 && (whole.size() - i) % 3 == 0) text += ThousandSeparator();
    text += whole[i];
  }
  if (!fraction.empty()) text += DecimalSeparator() + fraction;
  // A negative value always shows its sign; '+' adds one to the others.
  std::string sign = negative ? "-" : Has('+') ? "+" : "";
  if (Has('0')) {
    int room = Size - static_cast<int>(text.size() + sign.size());
    if (room > 0) text.insert(0, static_cast<size_t>(room), '0');
  }
  return Has('*') ? text + sign : sign + text;
}

// ---- Dates ----

std::string TKyCompiledMask::FormatDate(TDateTime value) const {
  const TKyPkgLanguageLocale& locale = TheLocale();
  int y, mo, d, h, n, s;
  DecodeDate(value, y, mo, d);
  DecodeTime(value, h, n, s);
  TDateField fields[6];
  int count = DateFields(fields);
  const std::string* monthName = nullptr;
  if (Has('2')) monthName = NameAt(locale.LongMonthNames, mo - 1);
  else if (Has('M')) monthName = NameAt(locale.ShortMonthNames, mo - 1);
  std::string date, time;
  for (int i = 0; i < count; ++i) {
    std::string part;
    bool isTime = false;
    switch (fields[i].Kind) {
      case 'd':
        part = TwoDigits(d);
        break;
      case 'm':
        part = monthName ? *monthName : TwoDigits(mo);
        break;
      case 'y':
        part = fields[i].Digits == 4 ? FourDigits(y) : TwoDigits(y % 100);
        break;
      default:
        isTime = true;
        part = TwoDigits(fields[i].Kind == 'h' ? h : fields[i].Kind == 'n' ? n : s);
        break;
    }
    std::string& target = isTime ? time : date;
    if (!target.empty()) target += isTime ? TimeSeparator() : monthName ? ' ' : DateSeparator();
    target += part;
  }
  const std::string* dayName = nullptr;
  if (Has('1')) dayName = NameAt(locale.LongDayNames, DayOfWeek(value) - 1);
  else if (Has('D')) dayName = NameAt(locale.ShortDayNames, DayOfWeek(value) - 1);
  if (dayName) date = date.empty() ? *dayName : *dayName + " " + date;
  if (date.empty()) return time;
  return time.empty() ? date : date + " " + time;
}

// ---- Values ----

std::string TKyCompiledMask::ApplyCase(const std::string& text) const {
  if (Has('u')) return UpperCase(text);
  if (Has('l')) return LowerCase(text);
  if (!Has('f')) return text;
  std::string out = LowerCase(text);
  bool first = true;
  for (char& c : out) {
    if (c == ' ' || c == ',' || c == '.' || c == '[' || c == ']') {
      first = true;
    } else if (first) {
      c = UpperCase(std::string(1, c))[0];
      first = false;
    }
  }
  return out;
}

std::string TKyCompiledMask::DisplayText(const Variant& value) const {
  if (value.IsClear()) return "";
  switch (DataType) {
    case dtyInteger:
    case dtyCurrency:
    case dtyDouble:
      return FormatNumber(ConvertValue(value, DataType).AsDouble());
    case dtyDateTime:
      return FormatDate(ConvertValue(value, dtyDateTime).AsDateTime());
    case dtyString: {
      std::string text = ApplyCase(ConvertValue(value, dtyString).AsString());
      return HasPicture() ? FillPicture(text) : text;
    }
    case dtyMemo:
      return value.VarType() == varBinary ? "" : ValueToInvariantText(value);
    default:
      return "";
  }
}

std::string TKyCompiledMask::EditText(const Variant& value) const {
  if (value.IsClear()) return HasPicture() ? EmptyText() : "";
  switch (DataType) {
    case dtyInteger:
    case dtyCurrency:
    case dtyDouble: {
      // What the user edits: no thousands separators, no padding.
      TKyCompiledMask plain = *this;
      plain.SetFlag('.', false), plain.SetFlag('0', false), plain.SetFlag('+', false), plain.SetFlag('*', false);
      return plain.FormatNumber(ConvertValue(value, DataType).AsDouble());
    }
    case dtyDateTime: {
      if (!HasPicture()) return FormatDate(ConvertValue(value, dtyDateTime).AsDateTime());
      TDateTime v = ConvertValue(value, dtyDateTime).AsDateTime();
      int y, mo, d, h, n, s;
      DecodeDate(v, y, mo, d);
      DecodeTime(v, h, n, s);
      TDateField fields[6];
      int count = DateFields(fields);
      std::string chars;
      for (int i = 0; i < count; ++i) {
        switch (fields[i].Kind) {
          case 'd': chars += TwoDigits(d); break;
          case 'm': chars += TwoDigits(mo); break;
          case 'y': chars += fields[i].Digits == 4 ? FourDigits(y) : TwoDigits(y % 100); break;
          case 'h': chars += TwoDigits(h); break;
          case 'n': chars += TwoDigits(n); break;
          default: chars += TwoDigits(s); break;
        }
      }
      return FillPicture(chars);
    }
    default:
      return DisplayText(value);
  }
}

Variant TKyCompiledMask::TextToValue(const std::string& text, int maxLength, const std::string& ownerName) const {
  switch (DataType) {
    case dtyInteger:
    case dtyCurrency:
    case dtyDouble: {
      std::string s = Trim(text);
      if (s.empty()) return Variant::Null();
      if (Has('$') && maxLength > 0 && static_cast<int>(s.size()) < maxLength) RaiseMessage(ownerName, kSystem, 6);
      const char dec = DecimalSeparator(), thou = ThousandSeparator();
      std::string number;
      for (char c : s)
        if (c != thou || thou == dec) number += c;
      bool negative = false;
      if (!number.empty() && (number[0] == '-' || number[0] == '+')) {
        negative = number[0] == '-';
        number.erase(0, 1);
      } else if (Has('*') && !number.empty() && (number.back() == '-' || number.back() == '+')) {
        negative = number.back() == '-';
        number.pop_back();
      }
      for (char& c : number) {
        if (c == dec) c = '.';
        else if (!IsDigit(static_cast<unsigned char>(c)) && c != '.') RaiseMessage(ownerName, kSystem, 7);
      }
      double v;
      if (number.empty() || !TryInvariantTextToNumber(number, v)) RaiseMessage(ownerName, kSystem, 7);
      // A negative number where the mask takes no sign is not one of its numbers.
      if (negative && v != 0 && !Has('-') && !Has('+')) RaiseMessage(ownerName, kSystem, 7);
      v = RoundToMask(negative ? -v : v);
      try {
        switch (DataType) {
          case dtyInteger:
            if (!(v >= -2147483648.0 && v <= 2147483647.0)) RaiseMessage(ownerName, kSystem, 7);
            return Variant(static_cast<int32_t>(v));
          case dtyCurrency:
            return Variant(TCurrency::FromDouble(v));
          default:
            return Variant(v);
        }
      } catch (const EVariantError&) {
        RaiseMessage(ownerName, kSystem, 7);
      }
    }
    case dtyString: {
      std::string chars;
      if (!HasPicture()) {
        if (Has('$') && maxLength > 0 && static_cast<int>(text.size()) < maxLength) RaiseMessage(ownerName, kSystem, 6);
        chars = text;
      } else {
        for (size_t i = 0; i < Picture.size(); ++i) {
          if (Picture[i] != kMaskEditable) continue;
          if (i >= text.size() || text[i] == Blank) {
            if (Has('$')) RaiseMessage(ownerName, kSystem, 6);
            continue;
          }
          chars += text[i];
        }
      }
      // Text that did not come through typing (pasted, set by a program)
      // still has to be of the mask's classes.
      for (char c : chars) {
        // Line breaks of free text (an edit of several lines) are no characters of a class.
        if (!HasPicture() && (c == '\r' || c == '\n')) continue;
        char k = c;
        if (!CharAllowed(k)) RaiseMessage(ownerName, kSystem, 8);
      }
      return Variant(ApplyCase(chars));
    }
    case dtyDateTime: {
      std::string chars;
      bool any = false;
      for (size_t i = 0; i < Picture.size(); ++i) {
        if (Picture[i] != kMaskEditable) continue;
        char c = i < text.size() ? text[i] : Blank;
        any = any || (c != Blank && c != ' ');
        chars += c;
      }
      if (!any) return Variant::Null();
      TDateTime today = Today();
      int y, mo, d;
      DecodeDate(today, y, mo, d);
      int h = 0, n = 0, s = 0;
      TDateField fields[6];
      int count = DateFields(fields);
      size_t pos = 0;
      for (int i = 0; i < count; ++i) {
        std::string digits;
        for (int k = 0; k < fields[i].Digits; ++k, ++pos) {
          char c = chars[pos];
          if (c == Blank || c == ' ') continue;
          if (!IsDigit(static_cast<unsigned char>(c))) RaiseMessage(ownerName, kSystem, 9);
          digits += c;
        }
        if (digits.empty()) RaiseMessage(ownerName, kSystem, 9);
        int v = std::atoi(digits.c_str());
        switch (fields[i].Kind) {
          case 'd': d = v; break;
          case 'm': mo = v; break;
          case 'y': y = digits.size() <= 2 ? TheLocale().ExpandYear(v) : v; break;
          case 'h': h = v; break;
          case 'n': n = v; break;
          default: s = v; break;
        }
      }
      TDateTime date;
      if (!TryEncodeDate(y, mo, d, date) || h > 23 || n > 59 || s > 59) RaiseMessage(ownerName, kSystem, 9);
      return Variant(CombineDateTime(date, EncodeTime(h, n, s)));
    }
    case dtyMemo:
      return Variant(text);
    default:
      return Variant::Null();
  }
}

// ---- TKyMask ----

TKyMask::TKyMask(IKyMaskOwner* owner, TPersistent* persistentOwner) : owner_(owner), persistentOwner_(persistentOwner) {}

void TKyMask::Publish(TPublisher<TKyMask>& p) {
  p.Property("Take", &TKyMask::Take, &TKyMask::SetTake).Default(mtaForm);
  p.Property("Size", &TKyMask::Size, &TKyMask::SetSize).Default(0);
  p.Property("Decimals", &TKyMask::Decimals, &TKyMask::SetDecimals).Default(0).Stored(&TKyMask::SettingsStored);
  p.Property("DateYear", &TKyMask::DateYear, &TKyMask::SetDateYear).Default(dyeYear4).Stored(&TKyMask::SettingsStored);
  p.Property("Text", &TKyMask::Text, &TKyMask::SetText).Default("");
}

void TKyMask::Changed() {
  if (owner_ && !owner_->MaskOwnerLoading()) owner_->MaskChanged(*this);
}

void TKyMask::SetTake(TKyMaskTake value) {
  if (value == take_) return;
  take_ = value;
  Changed();
}

void TKyMask::SetSize(int32_t value) {
  if (value == size_) return;
  size_ = value;
  Changed();
}

int32_t TKyMask::Decimals() const {
  switch (take_) {
    case mtaNone:
      return decimals_;
    case mtaForm: {
      TKyCForm* form = owner_ ? owner_->MaskFormConfig() : nullptr;
      return form ? form->MaskDecimals() : 0;
    }
    default: {
      TKyCApplication* app = FirstApplication();
      return app ? app->PkgLanguage()->Locale().CurrencyDecimals : 0;
    }
  }
}

void TKyMask::SetDecimals(int32_t value) {
  if (take_ != mtaNone || value == decimals_) return;
  decimals_ = value;
  Changed();
}

TKyDateYear TKyMask::DateYear() const {
  switch (take_) {
    case mtaNone:
      return dateYear_;
    case mtaForm: {
      TKyCForm* form = owner_ ? owner_->MaskFormConfig() : nullptr;
      return form ? form->MaskDateYear() : dyeYear4;
    }
    default: {
      TKyCApplication* app = FirstApplication();
      if (!app) return dyeYear4;
      int32_t y = app->PkgLanguage()->Locale().DateYear;
      return y == dyeNone || y == dyeYear2 ? static_cast<TKyDateYear>(y) : dyeYear4;
    }
  }
}

void TKyMask::SetDateYear(TKyDateYear value) {
  if (take_ != mtaNone || value == dateYear_) return;
  dateYear_ = value;
  Changed();
}

void TKyMask::SetText(const std::string& value) {
  if (value == text_) return;
  text_ = value;
  Changed();
}

TKyDataType TKyMask::DataType() const { return owner_ ? owner_->MaskDataType() : dtyString; }

void TKyMask::Compile(TKyCompiledMask& target, const TKyPkgLanguageLocale* locale) const {
  target.Size = size_;
  target.Decimals = Decimals();
  target.DateYear = DateYear();
  target.Locale = locale;
  CompileMask(target, text_, DataType(), owner_ ? owner_->MaskOwnerName() : "");
}

void TKyMask::Assign(const TPersistent* source) {
  if (auto* s = dynamic_cast<const TKyMask*>(source)) {
    if (s == this) return;
    take_ = s->take_;
    text_ = s->text_;
    size_ = s->size_;
    dateYear_ = s->dateYear_;
    decimals_ = s->decimals_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}
