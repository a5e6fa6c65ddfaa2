#include "platform/classes/TextForm.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/classes/FormStream.h"
#include "platform/base/SysUtils.h"
#include "platform/base/TypedStream.h"

namespace {

const char kHex[] = "0123456789ABCDEF";

// ---- Binary to text ----

class BinaryToText {
public:
  explicit BinaryToText(TStream& input) : in_(input) {}

  std::string Convert() {
    char signature[4];
    in_.Read(signature, 4);
    if (std::memcmp(signature, kFormSignature, 4) != 0) throw EReadError("Invalid stream format");
    ConvertObject(0);
    return std::move(out_);
  }

private:
  std::string ReadStr() {
    uint8_t len;
    in_.Read(&len, 1);
    std::string s(len, '\0');
    if (len) in_.Read(s.data(), len);
    return s;
  }

  void Indent(int level) { out_.append(static_cast<size_t>(level) * 2, ' '); }

  void ConvertObject(int level) {
    uint8_t b = in_.NextValue();
    TFilerFlags flags;
    int32_t position = 0;
    if ((b & 0xF0) == 0xF0) {
      in_.ReadValue();
      flags = TFilerFlags::FromBits(b & 0x0F);
      if (flags.Contains(ffChildPos)) position = in_.ReadInteger();
    }
    std::string className = ReadStr();
    std::string name = ReadStr();
    Indent(level);
    out_ += flags.Contains(ffInherited) ? "inherited " : flags.Contains(ffInline) ? "inline " : "object ";
    if (!name.empty()) out_ += name + ": ";
    out_ += className;
    if (flags.Contains(ffChildPos)) out_ += " [" + std::to_string(position) + "]";
    out_ += "\n";
    while (!in_.EndOfList()) ConvertProperty(level + 1);
    in_.ReadListEnd();
    while (!in_.EndOfList()) ConvertObject(level + 1);
    in_.ReadListEnd();
    Indent(level);
    out_ += "end\n";
  }

  void ConvertProperty(int level) {
    Indent(level);
    out_ += ReadStr() + " = ";
    ConvertValue(level);
    out_ += "\n";
  }

  void ConvertValue(int level) {
    switch (in_.NextValue()) {
      case vaList:
        in_.ReadValue();
        out_ += "(";
        while (!in_.EndOfList()) {
          out_ += "\n";
          Indent(level + 1);
          ConvertValue(level + 1);
        }
        in_.ReadListEnd();
        out_ += ")";
        break;
      case vaInt8:
      case vaInt16:
      case vaInt32:
        out_ += std::to_string(in_.ReadInteger());
        break;
      case vaExtended:
        out_ += FloatText(in_.ReadFloat());
        break;
      case vaString:
      case vaLString:
        StringText(level, in_.ReadString());
        break;
      case vaIdent:
      case vaFalse:
      case vaTrue:
      case vaNil:
        out_ += in_.ReadIdent();
        break;
      case vaBinary: {
        std::vector<uint8_t> bytes = in_.ReadBinary();
        out_ += "{";
        for (size_t i = 0; i < bytes.size(); ++i) {
          if (i % 32 == 0) {
            out_ += "\n";
            Indent(level + 1);
          }
          out_ += kHex[bytes[i] >> 4];
          out_ += kHex[bytes[i] & 15];
        }
        out_ += "}";
        break;
      }
      case vaSet: {
        std::vector<std::string> names = in_.ReadSet();
        out_ += "[";
        for (size_t i = 0; i < names.size(); ++i) out_ += (i ? ", " : "") + names[i];
        out_ += "]";
        break;
      }
      case vaCollection:
        in_.ReadValue();
        out_ += "<";
        while (!in_.EndOfList()) {
          out_ += "\n";
          Indent(level + 1);
          out_ += "item";
          TValueType t = in_.NextValue();
          if (t == vaInt8 || t == vaInt16 || t == vaInt32) out_ += " [" + std::to_string(in_.ReadInteger()) + "]";
          out_ += "\n";
          in_.ReadListBegin();
          while (!in_.EndOfList()) ConvertProperty(level + 2);
          in_.ReadListEnd();
          Indent(level + 1);
          out_ += "end";
        }
        in_.ReadListEnd();
        out_ += ">";
        break;
      default:
        throw EReadError("Invalid property value");
    }
  }

  static std::string FloatText(const TExtended& x) {
    double d = x.ToDouble();
    if (std::isfinite(d) && TExtended::FromDouble(d) == x) {
      char buf[64];
      auto r = std::to_chars(buf, buf + sizeof buf, d);
      std::string s(buf, r.ptr);
      if (s.find_first_of(".e") == std::string::npos) s += ".0";
      return s;
    }
    // Not a double (or not finite): the ten bytes, sign and exponent first.
    std::string s = "$X";
    for (int i = 9; i >= 0; --i) {
      s += kHex[x.Bytes[static_cast<size_t>(i)] >> 4];
      s += kHex[x.Bytes[static_cast<size_t>(i)] & 15];
    }
    return s;
  }

  // Quoted runs of printable characters, #n for the others; long strings in
  // pieces joined by "+" on the following lines.
  void StringText(int level, const std::string& s) {
    const size_t kPiece = 64;
    if (s.empty()) {
      out_ += "''";
      return;
    }
    for (size_t start = 0; start < s.size(); start += kPiece) {
      if (start) {
        out_ += " +\n";
        Indent(level + 1);
      }
      bool quoted = false;
      for (size_t i = start; i < s.size() && i < start + kPiece; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 32 && c < 127) {
          if (!quoted) out_ += '\'';
          quoted = true;
          out_ += static_cast<char>(c);
          if (c == '\'') out_ += '\'';
        } else {
          if (quoted) out_ += '\'';
          quoted = false;
          out_ += '#';
          out_ += std::to_string(c);
        }
      }
      if (quoted) out_ += '\'';
    }
  }

  TKyReader in_;
  std::string out_;
};

// ---- Text to binary ----

enum TokenKind { tokEnd, tokIdent, tokInt, tokFloat, tokExt, tokStr, tokBin, tokSym };

struct Token {
  TokenKind Kind = tokEnd;
  std::string Text;  // identifier, string value or symbol
  int64_t Int = 0;
  double Float = 0;
  TExtended Ext;
  std::vector<uint8_t> Bytes;
  int Line = 0;
};

class Lexer {
public:
  explicit Lexer(const std::string& text) : s_(text) {}

  std::vector<Token> Tokens() {
    std::vector<Token> tokens;
    for (;;) {
      Token t = Next();
      tokens.push_back(t);
      if (t.Kind == tokEnd) return tokens;
    }
  }

private:
  [[noreturn]] void Fail(const std::string& message) const {
    throw EParserError(Format("Line %d: %s", {int64_t(line_), message}));
  }

  static bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  }
  char Peek(size_t ahead = 0) const { return i_ + ahead < s_.size() ? s_[i_ + ahead] : '\0'; }
  bool AtEnd() const { return i_ >= s_.size(); }

  void SkipBlanks() {
    while (!AtEnd()) {
      char c = s_[i_];
      if (c == '\n') ++line_;
      if (static_cast<unsigned char>(c) > ' ') break;
      ++i_;
    }
  }

  Token Next() {
    SkipBlanks();
    Token t;
    t.Line = line_;
    if (AtEnd()) return t;
    // A UTF-8 byte order mark at the very start.
    if (i_ == 0 && s_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
      i_ = 3;
      return Next();
    }
    char c = Peek();
    if (IsAlpha(c)) {
      t.Kind = tokIdent;
      for (;;) {
        while (IsAlpha(Peek()) || IsDigit(Peek())) t.Text += s_[i_++];
        if (Peek() == '.' && IsAlpha(Peek(1))) t.Text += s_[i_++];
        else break;
      }
      return t;
    }
    if (IsDigit(c) || (c == '-' && (IsDigit(Peek(1)) || Peek(1) == '$'))) return Number(t);
    if (c == '$') return Number(t);
    if (c == '\'' || c == '#') return String(t);
    if (c == '{') return Binary(t);
    if (std::strchr("=:[](),<>+", c)) {
      t.Kind = tokSym;
      t.Text = std::string(1, c);
      ++i_;
      return t;
    }
    Fail(std::string("Invalid character '") + c + "'");
  }

  Token Number(Token& t) {
    bool negative = false;
    if (Peek() == '-') {
      negative = true;
      ++i_;
    }
    if (Peek() == '$') {
      ++i_;
      if (Peek() == 'X' || Peek() == 'x') {
        // An extended value as its ten bytes, sign and exponent first.
        ++i_;
        if (negative) Fail("Invalid number");
        for (int k = 9; k >= 0; --k) {
          int hi = HexValue(Peek()), lo = HexValue(Peek(1));
          if (hi < 0 || lo < 0) Fail("Invalid extended value");
          t.Ext.Bytes[static_cast<size_t>(k)] = static_cast<uint8_t>(hi * 16 + lo);
          i_ += 2;
        }
        t.Kind = tokExt;
        return t;
      }
      int64_t v = 0;
      int digits = 0;
      for (int h; (h = HexValue(Peek())) >= 0; ++i_, ++digits) {
        v = v * 16 + h;
        if (v > 0xFFFFFFFFLL) Fail("Integer out of range");
      }
      if (!digits) Fail("Invalid number");
      // Eight hexadecimal digits give the full 32 bits ($FFFFFFFF is -1).
      v = static_cast<int32_t>(static_cast<uint32_t>(v));
      t.Kind = tokInt;
      t.Int = negative ? -v : v;
      return t;
    }
    size_t start = i_;
    while (IsDigit(Peek())) ++i_;
    bool isFloat = false;
    if (Peek() == '.' && IsDigit(Peek(1))) {
      isFloat = true;
      ++i_;
      while (IsDigit(Peek())) ++i_;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      size_t k = 1;
      if (Peek(1) == '+' || Peek(1) == '-') ++k;
      if (IsDigit(Peek(k))) {
        isFloat = true;
        i_ += k;
        while (IsDigit(Peek())) ++i_;
      }
    }
    if (IsAlpha(Peek())) Fail("Invalid number");
    std::string digits = s_.substr(start, i_ - start);
    if (isFloat) {
      double v;
      auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
      if (ec != std::errc() || p != digits.data() + digits.size()) Fail("Invalid number " + digits);
      t.Kind = tokFloat;
      t.Float = negative ? -v : v;
    } else {
      int64_t v = 0;
      for (char d : digits) {
        v = v * 10 + (d - '0');
        if (v > 0x80000000LL) Fail("Integer out of range");
      }
      if (negative) v = -v;
      if (v > INT32_MAX) Fail("Integer out of range");
      t.Kind = tokInt;
      t.Int = v;
    }
    return t;
  }

  // 'quoted' runs and #n characters, side by side without blanks.
  Token String(Token& t) {
    t.Kind = tokStr;
    for (;;) {
      if (Peek() == '\'') {
        ++i_;
        for (;;) {
          if (AtEnd() || Peek() == '\n' || Peek() == '\r') Fail("Unterminated string");
          char c = s_[i_++];
          if (c == '\'') {
            if (Peek() == '\'') {
              t.Text += '\'';
              ++i_;
              continue;
            }
            break;
          }
          t.Text += c;
        }
      } else if (Peek() == '#') {
        ++i_;
        int64_t v = 0;
        int digits = 0;
        if (Peek() == '$') {
          ++i_;
          for (int h; (h = HexValue(Peek())) >= 0; ++i_, ++digits) v = v * 16 + h;
        } else {
          for (; IsDigit(Peek()); ++i_, ++digits) v = v * 10 + (Peek() - '0');
        }
        if (!digits || v > 255) Fail("Invalid character code");
        t.Text += static_cast<char>(v);
      } else {
        return t;
      }
    }
  }

  Token Binary(Token& t) {
    t.Kind = tokBin;
    ++i_;
    int high = -1;
    for (;;) {
      if (AtEnd()) Fail("Unterminated binary value");
      char c = s_[i_++];
      if (c == '}') break;
      if (c == '\n') ++line_;
      if (static_cast<unsigned char>(c) <= ' ') continue;
      int h = HexValue(c);
      if (h < 0) Fail("Invalid binary value");
      if (high < 0) {
        high = h;
      } else {
        t.Bytes.push_back(static_cast<uint8_t>(high * 16 + h));
        high = -1;
      }
    }
    if (high >= 0) Fail("Odd number of hexadecimal digits");
    return t;
  }

  const std::string& s_;
  size_t i_ = 0;
  int line_ = 1;
};

class TextToBinary {
public:
  TextToBinary(const std::string& text, TStream& output) : tokens_(Lexer(text).Tokens()), out_(output) {}

  void Convert() {
    out_.Write(kFormSignature, 4);
    ParseObject();
    if (Cur().Kind != tokEnd) Fail("End of text expected");
    out_.FlushBuffer();
  }

private:
  const Token& Cur() const { return tokens_[pos_]; }
  const Token& Ahead() const { return tokens_[std::min(pos_ + 1, tokens_.size() - 1)]; }
  void Advance() {
    if (pos_ + 1 < tokens_.size()) ++pos_;
  }
  [[noreturn]] void Fail(const std::string& message) const {
    throw EParserError(Format("Line %d: %s", {int64_t(Cur().Line), message}));
  }
  bool IsSym(const char* sym) const { return Cur().Kind == tokSym && Cur().Text == sym; }
  bool IsWord(const char* word) const { return Cur().Kind == tokIdent && SameText(Cur().Text, word); }
  void ExpectSym(const char* sym) {
    if (!IsSym(sym)) Fail(std::string("'") + sym + "' expected");
    Advance();
  }
  std::string ExpectName() {
    if (Cur().Kind != tokIdent || Cur().Text.find('.') != std::string::npos) Fail("Identifier expected");
    std::string s = Cur().Text;
    Advance();
    return s;
  }
  void WriteStr(const std::string& s) {
    if (s.size() > 255) Fail("Name too long");
    uint8_t len = static_cast<uint8_t>(s.size());
    out_.Write(&len, 1);
    out_.Write(s.data(), len);
  }
  // "end" closing an object or an item, not a property of that name.
  bool AtEndWord() const { return IsWord("end") && !(Ahead().Kind == tokSym && Ahead().Text == "="); }
  bool AtObject() const {
    return (IsWord("object") || IsWord("inherited") || IsWord("inline")) && !(Ahead().Kind == tokSym && Ahead().Text == "=");
  }

  void ParseObject() {
    TFilerFlags flags;
    if (IsWord("inherited")) flags.Include(ffInherited);
    else if (IsWord("inline")) flags.Include(ffInline);
    else if (!IsWord("object")) Fail("'object' expected");
    Advance();
    std::string name, className = ExpectName();
    if (IsSym(":")) {
      Advance();
      name = className;
      className = ExpectName();
    }
    int32_t position = 0;
    if (IsSym("[")) {
      Advance();
      if (Cur().Kind != tokInt) Fail("Integer expected");
      position = static_cast<int32_t>(Cur().Int);
      flags.Include(ffChildPos);
      Advance();
      ExpectSym("]");
    }
    if (!flags.Empty()) {
      uint8_t b = static_cast<uint8_t>(0xF0 | flags.Bits());
      out_.Write(&b, 1);
      if (flags.Contains(ffChildPos)) out_.WriteInteger(position);
    }
    WriteStr(className);
    WriteStr(name);
    while (!AtObject() && !AtEndWord()) {
      if (Cur().Kind == tokEnd) Fail("'end' expected");
      ParseProperty();
    }
    out_.WriteListEnd();
    while (AtObject()) ParseObject();
    if (!AtEndWord()) Fail("'end' expected");
    Advance();
    out_.WriteListEnd();
  }

  void ParseProperty() {
    if (Cur().Kind != tokIdent) Fail("Property name expected");
    WriteStr(Cur().Text);
    Advance();
    ExpectSym("=");
    ParseValue();
  }

  void ParseValue() {
    const Token& t = Cur();
    switch (t.Kind) {
      case tokInt:
        out_.WriteInteger(static_cast<int32_t>(t.Int));
        Advance();
        return;
      case tokFloat:
        out_.WriteFloat(TExtended::FromDouble(t.Float));
        Advance();
        return;
      case tokExt:
        out_.WriteFloat(t.Ext);
        Advance();
        return;
      case tokStr: {
        std::string s = t.Text;
        Advance();
        while (IsSym("+") && Ahead().Kind == tokStr) {
          Advance();
          s += Cur().Text;
          Advance();
        }
        out_.WriteString(s);
        return;
      }
      case tokIdent:
        if (t.Text.size() > 255) Fail("Identifier too long");
        out_.WriteIdent(t.Text);
        Advance();
        return;
      case tokBin:
        out_.WriteBinary(t.Bytes.data(), static_cast<int32_t>(t.Bytes.size()));
        Advance();
        return;
      case tokSym:
        break;
      case tokEnd:
        Fail("Value expected");
    }
    if (IsSym("[")) {
      Advance();
      std::vector<std::string> names;
      if (!IsSym("]")) {
        for (;;) {
          std::string n = ExpectName();
          if (n.size() > 255) Fail("Identifier too long");
          names.push_back(n);
          if (IsSym("]")) break;
          ExpectSym(",");
        }
      }
      Advance();
      out_.WriteSet(names);
    } else if (IsSym("(")) {
      Advance();
      out_.WriteListBegin();
      while (!IsSym(")")) {
        if (Cur().Kind == tokEnd) Fail("')' expected");
        ParseValue();
      }
      Advance();
      out_.WriteListEnd();
    } else if (IsSym("<")) {
      Advance();
      out_.WriteValue(vaCollection);
      while (!IsSym(">")) {
        if (!IsWord("item")) Fail("'item' or '>' expected");
        Advance();
        if (IsSym("[")) {
          Advance();
          if (Cur().Kind != tokInt) Fail("Integer expected");
          out_.WriteInteger(static_cast<int32_t>(Cur().Int));
          Advance();
          ExpectSym("]");
        }
        out_.WriteListBegin();
        while (!AtEndWord()) {
          if (Cur().Kind == tokEnd) Fail("'end' expected");
          ParseProperty();
        }
        Advance();
        out_.WriteListEnd();
      }
      Advance();
      out_.WriteListEnd();
    } else {
      Fail("Value expected");
    }
  }

  std::vector<Token> tokens_;
  size_t pos_ = 0;
  TKyWriter out_;
};

}  // namespace

void ObjectBinaryToText(TStream& input, TStream& output) {
  std::string text;
  {
    BinaryToText conv(input);
    text = conv.Convert();
  }
  output.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

void ObjectTextToBinary(TStream& input, TStream& output) {
  int64_t size = input.Size() - input.Position();
  std::string text(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  if (!text.empty()) input.ReadBuffer(text.data(), static_cast<int32_t>(text.size()));
  TextToBinary(text, output).Convert();
}

std::string FormBinaryToText(const std::vector<uint8_t>& binary) {
  TMemoryStream in(binary);
  TMemoryStream out;
  ObjectBinaryToText(in, out);
  return std::string(out.Data().begin(), out.Data().end());
}

std::vector<uint8_t> FormTextToBinary(const std::string& text) {
  TMemoryStream out;
  TextToBinary(text, out).Convert();
  return out.Data();
}
