#include "platform/base/SysUtils.h"

#include <cctype>
#include <cstdio>

#include "platform/base/Exception.h"

namespace {

[[noreturn]] void BadFormat(const std::string& format) {
  throw Exception("Format '" + format + "' invalid or incompatible with argument");
}

}  // namespace

std::string Format(const std::string& format, const std::vector<TFormatArg>& args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%') {
      out += c;
      continue;
    }
    if (++i >= format.size()) BadFormat(format);
    if (format[i] == '%') {
      out += '%';
      continue;
    }
    // Collect the flags, width and precision as printf knows them.
    std::string spec = "%";
    while (i < format.size() && (format[i] == '-' || std::isdigit(static_cast<unsigned char>(format[i])) ||
                                 format[i] == '.'))
      spec += format[i++];
    if (i >= format.size() || next >= args.size()) BadFormat(format);
    char type = format[i];
    const TFormatArg& arg = args[next++];
    char buf[512];
    switch (type) {
      case 'd':
      case 'u':
      case 'x':
      case 'X': {
        if (!std::holds_alternative<int64_t>(arg)) BadFormat(format);
        spec += "ll";
        spec += type;
        std::snprintf(buf, sizeof buf, spec.c_str(), static_cast<long long>(std::get<int64_t>(arg)));
        out += buf;
        break;
      }
      case 'f':
      case 'g':
      case 'e': {
        double v;
        if (std::holds_alternative<double>(arg)) v = std::get<double>(arg);
        else if (std::holds_alternative<int64_t>(arg)) v = static_cast<double>(std::get<int64_t>(arg));
        else BadFormat(format);
        spec += type;
        std::snprintf(buf, sizeof buf, spec.c_str(), v);
        out += buf;
        break;
      }
      case 's': {
        if (!std::holds_alternative<std::string>(arg)) BadFormat(format);
        const std::string& s = std::get<std::string>(arg);
        if (spec.size() == 1) {
          out += s;  // no width: any length
        } else {
          spec += 's';
          std::snprintf(buf, sizeof buf, spec.c_str(), s.c_str());
          out += buf;
        }
        break;
      }
      default:
        BadFormat(format);
    }
  }
  return out;
}

std::string UpperCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string LowerCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

bool TryStrToInt(const std::string& s, int32_t& value) {
  bool negative = false;
  size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  int base = 10;
  if (s.compare(i, 2, "0x") == 0 || s.compare(i, 2, "0X") == 0) {
    base = 16;
    i += 2;
  } else if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  }
  if (i >= s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    int d;
    char c = s[i];
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * base + d;
    // Hexadecimal may use the full 32 bits (0xFFFFFFFF is -1); decimal may not.
    if (v > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return false;
  }
  if (base == 10 && !negative && v > 0x7FFFFFFFLL) return false;
  value = static_cast<int32_t>(negative ? -v : v);
  return true;
}

int32_t StrToIntDef(const std::string& s, int32_t def) {
  int32_t v;
  return TryStrToInt(s, v) ? v : def;
}

std::vector<std::string> SplitCommaText(const std::string& text) {
  std::vector<std::string> items;
  size_t i = 0, n = text.size();
  auto isSep = [](char c) { return c == ',' || static_cast<unsigned char>(c) <= ' '; };
  while (i < n && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  while (i < n) {
    std::string item;
    if (text[i] == '"') {
      ++i;
      while (i < n) {
        if (text[i] == '"') {
          if (i + 1 < n && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      while (i < n && !isSep(text[i])) item += text[i++];
    }
    items.push_back(item);
    while (i < n && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    if (i < n && text[i] == ',') {
      ++i;
      // A comma at the very end still closes an (empty) last item.
      if (i >= n) items.emplace_back();
      while (i < n && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    }
  }
  return items;
}

std::string JoinCommaText(const std::vector<std::string>& items) {
  std::string out;
  for (size_t k = 0; k < items.size(); ++k) {
    if (k) out += ',';
    const std::string& s = items[k];
    // An empty item stays empty between separators; alone it must be quoted
    // or the text would read back as no item at all.
    bool quote = s.empty() && items.size() == 1;
    for (char c : s)
      if (c == ',' || c == '"' || static_cast<unsigned char>(c) <= ' ') quote = true;
    if (!quote) {
      out += s;
      continue;
    }
    out += '"';
    for (char c : s) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}
