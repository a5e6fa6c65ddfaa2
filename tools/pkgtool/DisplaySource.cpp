// Display packages as readable sources:
//
//   [Package]        Class=Display, Name (where it is embedded), Description,
//                    PixelsPerInch (of the font heights), CustomColors (lines)
//   [Colors]         one group per set, opened by its Name:
//                      Name=sc1, Description=..., LabelPackage=..., LabelId=...,
//                      Color=clBtnFace
//   [Fonts]          Name, Description, LabelPackage, LabelId, Font=Arial,
//                    Charset=1, Pitch=0, Height=-27, Style=Bold,Italic,
//                    Color=clBlack
//   [BackGrounds]    Name, Description, LabelPackage, LabelId, Fill=0,
//                    Color, Color1, Color2, ImagePackage=User, ImageId=17,
//                    Flag=False
//   [System Images], [User Images]
//                    the two images packages: Description, Preserved, Flags,
//                    then image groups as in an images source, their files
//                    in the folders <source name>/System and <source name>/User
//
// Colours are colour names (clBtnFace, clRed, ...), $hex or decimal. Sets keep
// their order and duplicate names; a label or image reference left out is
// not linked (package "" and id -1).
#include <string>

#include "ImagesSource.h"
#include "PkgSource.h"
#include "packages/PkgDisplay.h"
#include "platform/base/SysUtils.h"

namespace {

struct TColorName {
  const char* Name;
  int32_t Value;
};

const TColorName kColorNames[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
    {"clScrollBar", static_cast<int32_t>(0x80000000)},
    {"clBackground", static_cast<int32_t>(0x80000001)},
    {"clActiveCaption", static_cast<int32_t>(0x80000002)},
    {"clInactiveCaption", static_cast<int32_t>(0x80000003)},
    {"clMenu", static_cast<int32_t>(0x80000004)},
    {"clWindow", static_cast<int32_t>(0x80000005)},
    {"clWindowFrame", static_cast<int32_t>(0x80000006)},
    {"clMenuText", static_cast<int32_t>(0x80000007)},
    {"clWindowText", static_cast<int32_t>(0x80000008)},
    {"clCaptionText", static_cast<int32_t>(0x80000009)},
    {"clActiveBorder", static_cast<int32_t>(0x8000000A)},
    {"clInactiveBorder", static_cast<int32_t>(0x8000000B)},
    {"clAppWorkSpace", static_cast<int32_t>(0x8000000C)},
    {"clHighlight", static_cast<int32_t>(0x8000000D)},
    {"clHighlightText", static_cast<int32_t>(0x8000000E)},
    {"clBtnFace", static_cast<int32_t>(0x8000000F)},
    {"clBtnShadow", static_cast<int32_t>(0x80000010)},
    {"clGrayText", static_cast<int32_t>(0x80000011)},
    {"clBtnText", static_cast<int32_t>(0x80000012)},
    {"clInactiveCaptionText", static_cast<int32_t>(0x80000013)},
    {"clBtnHighlight", static_cast<int32_t>(0x80000014)},
    {"cl3DDkShadow", static_cast<int32_t>(0x80000015)},
    {"cl3DLight", static_cast<int32_t>(0x80000016)},
    {"clInfoText", static_cast<int32_t>(0x80000017)},
    {"clInfoBk", static_cast<int32_t>(0x80000018)},
};

std::string ColorText(int32_t value) {
  for (const TColorName& c : kColorNames)
    if (c.Value == value) return c.Name;
  const char* digits = "0123456789ABCDEF";
  std::string text = "$";
  for (int shift = 28; shift >= 0; shift -= 4) text += digits[(static_cast<uint32_t>(value) >> shift) & 15];
  return text;
}

int32_t ParseColor(const TPkgSource& src, const TSourceEntry& e) {
  std::string t = Trim(src.Text(e));
  for (const TColorName& c : kColorNames)
    if (SameText(t, c.Name)) return c.Value;
  if (t.size() > 1 && t[0] == '$' && t.size() <= 9) {
    uint32_t v = 0;
    for (size_t i = 1; i < t.size(); ++i) {
      char ch = t[i];
      int d = (ch >= '0' && ch <= '9') ? ch - '0' : (ch >= 'a' && ch <= 'f') ? ch - 'a' + 10 : (ch >= 'A' && ch <= 'F') ? ch - 'A' + 10 : -1;
      if (d < 0) src.Fail(e.Line, "'" + t + "' is not a colour");
      v = v * 16 + static_cast<uint32_t>(d);
    }
    return static_cast<int32_t>(v);
  }
  int32_t v;
  if (!TryStrToInt(t, v)) src.Fail(e.Line, "'" + t + "' is not a colour");
  return v;
}

const char* const kStyles[] = {"Bold", "Italic", "Underline", "StrikeOut"};

TKyFontData ParseStyle(const TPkgSource& src, const TSourceEntry& e, TKyFontData f) {
  f.Bold = f.Italic = f.Underline = f.StrikeOut = false;
  bool* flags[] = {&f.Bold, &f.Italic, &f.Underline, &f.StrikeOut};
  for (const std::string& item : SplitCommaText(src.Text(e))) {
    if (Trim(item).empty()) continue;
    int k = 0;
    while (k < 4 && !SameText(Trim(item), kStyles[k])) ++k;
    if (k == 4) src.Fail(e.Line, "'" + item + "' is not a font style (Bold, Italic, Underline, StrikeOut)");
    *flags[k] = true;
  }
  return f;
}

std::string StyleText(const TKyFontData& f) {
  const bool flags[] = {f.Bold, f.Italic, f.Underline, f.StrikeOut};
  std::string text;
  for (int k = 0; k < 4; ++k)
    if (flags[k]) text += std::string(text.empty() ? "" : ",") + kStyles[k];
  return text;
}

// The label reference of a set, kept apart while its group is read.
struct TSetGroup {
  TKyPkgDisplaySet* set = nullptr;
  std::string labelPkg;
  int32_t labelId = -1;
  std::string imagePkg;
  int32_t imageId = -1;
};

void FinishSet(TSetGroup& g) {
  if (!g.set) return;
  g.set->SetDescriptionLabel(g.labelPkg, g.labelId);
  if (g.set->Kind() == sekBackGround)
    static_cast<TKyPkgDisplaySetBackGround*>(g.set)->SetImage(g.imagePkg, g.imageId);
  g = TSetGroup{};
}

void CompileSets(const TPkgSource& src, const TSourceSection& section, TKyPkgDisplay& pkg, TKySetKind kind) {
  TSetGroup g;
  for (const TSourceEntry& e : section.Entries) {
    if (SameText(e.Key, "Name")) {
      FinishSet(g);
      g.set = pkg.Sets(kind).AddSet(src.Text(e));
      continue;
    }
    if (!g.set) src.Fail(e.Line, "'" + e.Key + "' before the first Name of [" + section.Name + "]");
    if (SameText(e.Key, "Description")) g.set->SetDescription(src.Text(e));
    else if (SameText(e.Key, "LabelPackage")) g.labelPkg = src.Text(e);
    else if (SameText(e.Key, "LabelId")) g.labelId = src.Integer(e, src.Text(e));
    else if (kind == sekColor && SameText(e.Key, "Color"))
      static_cast<TKyPkgDisplaySetColor*>(g.set)->SetColor(ParseColor(src, e));
    else if (kind == sekFont) {
      auto* s = static_cast<TKyPkgDisplaySetFont*>(g.set);
      TKyFontData f = s->Font();
      if (SameText(e.Key, "Font")) f.Name = src.Text(e);
      else if (SameText(e.Key, "Charset")) f.Charset = src.Integer(e, src.Text(e));
      else if (SameText(e.Key, "Pitch")) f.Pitch = src.Integer(e, src.Text(e));
      else if (SameText(e.Key, "Height")) f.Height = src.Integer(e, src.Text(e));
      else if (SameText(e.Key, "Style")) f = ParseStyle(src, e, f);
      else if (SameText(e.Key, "Color")) f.Color = ParseColor(src, e);
      else src.Fail(e.Line, "unknown key '" + e.Key + "' of a font set");
      s->SetFont(f);
    } else if (kind == sekBackGround) {
      auto* s = static_cast<TKyPkgDisplaySetBackGround*>(g.set);
      if (SameText(e.Key, "Fill")) {
        int32_t v = src.Integer(e, src.Text(e));
        if (v < 0 || v > 255) src.Fail(e.Line, "Fill must be 0 to 255");
        s->SetFillKind(static_cast<uint8_t>(v));
      } else if (SameText(e.Key, "Color")) s->SetColor(ParseColor(src, e));
      else if (SameText(e.Key, "Color1")) s->SetColor1(ParseColor(src, e));
      else if (SameText(e.Key, "Color2")) s->SetColor2(ParseColor(src, e));
      else if (SameText(e.Key, "ImagePackage")) g.imagePkg = src.Text(e);
      else if (SameText(e.Key, "ImageId")) g.imageId = src.Integer(e, src.Text(e));
      else if (SameText(e.Key, "Flag")) s->SetFlag(src.Boolean(e));
      else src.Fail(e.Line, "unknown key '" + e.Key + "' of a background set");
    } else {
      src.Fail(e.Line, "unknown key '" + e.Key + "' of a colour set");
    }
  }
  FinishSet(g);
}

void DecompileHead(const TKyPkgDisplaySet& s, TSourceWriter& out) {
  out.Value("Name", s.Name());
  out.Value("Description", s.Description());
  const TKyMemoryLabel& l = s.DescriptionLabel();
  if (!l.PkgName().empty() || l.Id() != -1) {
    out.Value("LabelPackage", l.PkgName());
    out.Raw("LabelId", std::to_string(l.Id()));
  }
}

std::unique_ptr<TKyPkgInfo> CreateDisplay() { return std::make_unique<TKyPkgDisplay>(SourcePackageHolder()); }

void CompileDisplay(const TPkgSource& src, TKyPkgInfo& pkg) {
  auto& d = static_cast<TKyPkgDisplay&>(pkg);
  src.CheckLayout({"Colors", "Fonts", "BackGrounds", "System Images", "User Images"},
                  {"Description", "PixelsPerInch", "CustomColors"});
  d.SetDescription(src.PackageValue("Description"));
  d.SetCustomColors(src.PackageValue("CustomColors"));
  if (const TSourceSection* p = src.Section("Package"))
    for (const auto& e : p->Entries)
      if (SameText(e.Key, "PixelsPerInch")) d.SetPixelsPerInch(src.Integer(e, src.Text(e)));
  if (const TSourceSection* s = src.Section("System Images")) CompileImageEntries(src, *s, d.SystemImages(), true);
  if (const TSourceSection* s = src.Section("User Images")) CompileImageEntries(src, *s, d.UserImages(), true);
  if (const TSourceSection* s = src.Section("Colors")) CompileSets(src, *s, d, sekColor);
  if (const TSourceSection* s = src.Section("Fonts")) CompileSets(src, *s, d, sekFont);
  if (const TSourceSection* s = src.Section("BackGrounds")) CompileSets(src, *s, d, sekBackGround);
}

void DecompileDisplay(TKyPkgInfo& pkg, TSourceWriter& out) {
  auto& d = static_cast<TKyPkgDisplay&>(pkg);
  out.Section("Package");
  out.Raw("Class", "Display");
  out.Value("Description", d.Description());
  out.Raw("PixelsPerInch", std::to_string(d.PixelsPerInch()));
  out.Text("CustomColors", d.CustomColors());

  out.Section("Colors");
  for (int i = 0; i < d.ColorSets().Count(); ++i) {
    auto& s = static_cast<const TKyPkgDisplaySetColor&>(*d.ColorSets().Items(i));
    if (i > 0) out.BlankLine();
    DecompileHead(s, out);
    out.Raw("Color", ColorText(s.Color()));
  }
  out.Section("Fonts");
  for (int i = 0; i < d.FontSets().Count(); ++i) {
    auto& s = static_cast<const TKyPkgDisplaySetFont&>(*d.FontSets().Items(i));
    if (i > 0) out.BlankLine();
    DecompileHead(s, out);
    const TKyFontData& f = s.Font();
    out.Value("Font", f.Name);
    out.Raw("Charset", std::to_string(f.Charset));
    out.Raw("Pitch", std::to_string(f.Pitch));
    out.Raw("Height", std::to_string(f.Height));
    out.Raw("Style", StyleText(f));
    out.Raw("Color", ColorText(f.Color));
  }
  out.Section("BackGrounds");
  for (int i = 0; i < d.BackGroundSets().Count(); ++i) {
    auto& s = static_cast<const TKyPkgDisplaySetBackGround&>(*d.BackGroundSets().Items(i));
    if (i > 0) out.BlankLine();
    DecompileHead(s, out);
    out.Raw("Fill", std::to_string(s.FillKind()));
    out.Raw("Color", ColorText(s.Color()));
    out.Raw("Color1", ColorText(s.Color1()));
    out.Raw("Color2", ColorText(s.Color2()));
    if (!s.Image().PkgName().empty() || s.Image().Id() != -1) {
      out.Value("ImagePackage", s.Image().PkgName());
      out.Raw("ImageId", std::to_string(s.Image().Id()));
    }
    out.Raw("Flag", s.Flag() ? "True" : "False");
  }
  std::string base = SourceBaseName(out.FileName());
  DecompileImageEntries(d.SystemImages(), out, "System Images", base + "/System", true);
  DecompileImageEntries(d.UserImages(), out, "User Images", base + "/User", true);
}

}  // namespace

extern const TPkgSourceKind kDisplaySource;
const TPkgSourceKind kDisplaySource{"Display", "KyPkgDisplay", &CreateDisplay, &CompileDisplay, &DecompileDisplay};
