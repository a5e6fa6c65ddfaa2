// Display packages and set objects: the file format and its versions, the
// hashed set tables, duplicate names, the library defaults, fallback chains,
// caching with one notification per control, and font height scaling.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "DisplayTestSupport.h"
#include "packages/MessageService.h"
#include "platform/base/Exception.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"

using namespace ky_test;

namespace {

class PkgDisplayTest : public ::testing::Test {
protected:
  TKyPkgDisplay& Display() { return *app.display; }
  TTstDisplayApp app;
};

TKyFontData Font(const std::string& name, int32_t height, bool bold = false) {
  TKyFontData f;
  f.Name = name;
  f.Height = height;
  f.Bold = bold;
  return f;
}

// A package with every kind of set, custom colours and both images packages.
void Fill(TKyPkgDisplay& d) {
  d.SetDescription("Display config 1 (Display)");
  d.SetCustomColors("ColorA=66CCFF\r\nColorP=FFFFFFFF");
  d.SystemImages().SetDescription("glyphs");
  d.SystemImages().AddImage(3)->SetPicture("TBitmap", {'B', 'M', 0}, 13, 13);
  d.UserImages().AddImage(17)->SetPicture("TJPEGImage", {0xFF, 0xD8}, 542, 343);
  d.AddColor("sc1")->SetColor(0x00336699);
  d.AddColor("sc2")->SetColor(kClBtnFace);
  d.ColorSets().Items(1)->SetDescriptionLabel("Idioma", 4);
  auto* sf1 = d.AddFont("sf1");
  sf1->SetDescription("Fuente para el producto");
  TKyFontData f = Font("Arial", -27, true);
  f.Italic = f.StrikeOut = true;
  f.Charset = 0;
  f.Pitch = 2;
  f.Color = 0x00FF0000;
  sf1->SetFont(f);
  d.AddFont("sf2")->SetFont(Font("MS Sans Serif", -13, true));
  auto* sb = d.AddBackGround("sb14");
  sb->SetFillKind(19);
  sb->SetColor1(1);
  sb->SetColor2(2);
  sb->SetColor(3);
  sb->SetImage("User", 17);
  sb->SetFlag(true);
  d.AddBackGround("sb1")->SetColor(0x00E2E2E2);
}

}  // namespace

TEST_F(PkgDisplayTest, RoundTripAtTheCurrentVersionKeepsEverything) {
  TKyPkgDisplay& d = Display();
  Fill(d);
  std::vector<uint8_t> bytes = d.SaveToBytes();
  EXPECT_EQ(bytes[32] | (bytes[33] << 8), 3);

  TTstContainer holder(nullptr);
  auto* back = new TKyPkgDisplay(&holder);
  LoadBytes(*back, bytes);
  EXPECT_EQ(back->Description(), "Display config 1 (Display)");
  EXPECT_EQ(back->CustomColorLines(), (std::vector<std::string>{"ColorA=66CCFF", "ColorP=FFFFFFFF"}));
  EXPECT_EQ(back->SystemImages().Description(), "glyphs");
  EXPECT_EQ(back->SystemImages().PkgName(), "System");
  EXPECT_EQ(back->UserImages().Find(17)->Width(), 542);
  ASSERT_EQ(back->ColorSets().Count(), 2);
  EXPECT_EQ(back->FindColor("sc1")->Color(), 0x00336699);
  EXPECT_EQ(back->FindColor("sc2")->DescriptionLabel().PkgName(), "Idioma");
  EXPECT_EQ(back->FindColor("sc2")->DescriptionLabel().Id(), 4);
  EXPECT_EQ(back->FindFont("sf1")->Font(), d.FindFont("sf1")->Font());
  EXPECT_EQ(back->FindFont("sf1")->Description(), "Fuente para el producto");
  auto* sb = back->FindBackGround("sb14");
  ASSERT_NE(sb, nullptr);
  EXPECT_EQ(sb->FillKind(), 19);
  EXPECT_EQ(sb->Color1(), 1);
  EXPECT_EQ(sb->Color2(), 2);
  EXPECT_EQ(sb->Color(), 3);
  EXPECT_EQ(sb->Image().PkgName(), "User");
  EXPECT_EQ(sb->Image().Id(), 17);
  EXPECT_TRUE(sb->Flag());
  EXPECT_EQ(back->PixelsPerInch(), d.PixelsPerInch());
  EXPECT_EQ(back->SaveToBytes(), bytes);
}

TEST_F(PkgDisplayTest, OlderVersionsTakeSizeOrHeightAndTheScreenResolution) {
  const int32_t screen = ScreenPixelsPerInch();
  struct TCase {
    uint16_t version;
    int32_t wantHeight;
    int32_t wantPixelsPerInch;
  };
  // Size 10 and height -27 are both stored; version 1 knows only the size.
  const TCase cases[] = {
      {1, -KyMulDiv(10, screen, 72), screen},
      {2, -27, screen},
      {3, -27, 120},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.version);
    TTstContainer holder(nullptr);
    auto* d = new TKyPkgDisplay(&holder);
    LoadBytes(*d, DisplayBytes(c.version, {{"sf1", "Arial", 10, -27, true}}, 120));
    ASSERT_NE(d->FindFont("sf1"), nullptr);
    EXPECT_EQ(d->FindFont("sf1")->Font().Height, c.wantHeight);
    EXPECT_TRUE(d->FindFont("sf1")->Font().Bold);
    EXPECT_EQ(d->PixelsPerInch(), c.wantPixelsPerInch);
    EXPECT_EQ(d->FindColor("sc1")->Color(), 0x00336699);
    EXPECT_EQ(d->FindBackGround("sb1")->FillKind(), 4);
    EXPECT_EQ(d->FindBackGround("sb1")->Image().Id(), 3);
    EXPECT_EQ(d->UserImages().Description(), "usr");
  }
}

TEST_F(PkgDisplayTest, BadHeadersAreRefusedWithTheLibraryMessages) {
  TTstContainer holder(nullptr);
  auto* d = new TKyPkgDisplay(&holder);
  std::string name = d->FullFileName();
  EXPECT_EQ(Raised([&] { LoadBytes(*d, DisplayBytes(3, {}, 96, "KyPkgDisplax")); }),
            "Identificaci\xF3n del Fichero '" + name + "' incorrecta. (Configuraciones de Pantalla).");
  EXPECT_EQ(Raised([&] { LoadBytes(*d, DisplayBytes(4, {})); }),
            "Versi\xF3n del fichero '" + name + "' incorrecta. (Configuraciones de Pantalla).");
  // The nested images packages are checked as images packages.
  std::string images = d->SystemImages().FullFileName();
  EXPECT_EQ(Raised([&] { LoadBytes(*d, DisplayBytes(3, {}, 96, "KyPkgDisplay", "KyPkgStrings")); }),
            "Identificaci\xF3n del fichero '" + images + "' incorrecta. (PkgImages).");
  LoadBytes(*d, DisplayBytes(3, {}, 96, "kypkgdisplay"));
  EXPECT_EQ(d->ColorSets().Count(), 1);
}

TEST_F(PkgDisplayTest, DamagedCountsAreRefusedAndCountsBelowOneHoldNothing) {
  TTstContainer holder(nullptr);
  auto* d = new TKyPkgDisplay(&holder);
  std::vector<uint8_t> bytes = DisplayBytes(3, {});
  // The colour count follows the two images packages: find "sc1" and step back.
  std::string text(bytes.begin(), bytes.end());
  size_t sc1 = text.find("sc1");
  ASSERT_NE(sc1, std::string::npos);
  size_t count = sc1 - 2 - 2;  // tag 2 and 1, then tag 6 and length 3
  ASSERT_EQ(bytes[count], 2);
  std::vector<uint8_t> huge = bytes;
  huge[count + 1] = 100;
  EXPECT_NE(Raised([&] { LoadBytes(*d, huge); }).find("Damaged package"), std::string::npos);
  std::vector<uint8_t> negative(bytes.begin(), bytes.begin() + static_cast<long>(count));
  for (uint8_t b : {2, 0xFF}) negative.push_back(b);           // no colours
  for (uint8_t b : {2, 96, 2, 0, 2, 0}) negative.push_back(b);  // resolution, no fonts, no backgrounds
  LoadBytes(*d, negative);
  EXPECT_EQ(d->ColorSets().Count(), 0);
  EXPECT_EQ(d->PixelsPerInch(), 96);
}

TEST_F(PkgDisplayTest, SetNamesMatchIgnoringCaseThroughTheHashAndTheLaterDuplicateWins) {
  TKyDisplaySets& fonts = Display().FontSets();
  EXPECT_EQ(TKyDisplaySets::HashName(""), 0u);
  EXPECT_EQ(TKyDisplaySets::HashName("A"), 65u);
  EXPECT_EQ(TKyDisplaySets::HashName("ab"), 65u * 16 + 66);
  // Eight characters push bits into the top nibble, which folds back.
  EXPECT_EQ(TKyDisplaySets::HashName("ZZZZZZZZ"), TKyDisplaySets::HashName("zzzzzzzz"));
  EXPECT_LT(TKyDisplaySets::HashName("ZZZZZZZZZZZZZZZZ"), 0x10000000u);
  // Known values, the fold included, and their buckets.
  struct THashCase {
    const char* name;
    uint32_t hash;
    int bucket;
  };
  for (const THashCase& c : {THashCase{"sf1", 0x5791, 51}, THashCase{"Dft_BackGround", 0x46629D4, 48},
                             THashCase{"ZZZZZZZZZ", 0xFFFA00A, 22}, THashCase{"abcdefghijk", 0x9EEAA6B, 5}}) {
    EXPECT_EQ(TKyDisplaySets::HashName(c.name), c.hash) << c.name;
    EXPECT_EQ(TKyDisplaySets::Bucket(c.name), c.bucket) << c.name;
  }

  // 120 names in 53 buckets: chains of several sets.
  std::map<int, int> perBucket;
  for (int i = 0; i < 120; ++i) {
    std::string name = "set" + std::to_string(i);
    static_cast<TKyPkgDisplaySetFont*>(fonts.AddSet(name))->SetFont(Font(name, -i));
    ++perBucket[TKyDisplaySets::Bucket(name)];
  }
  EXPECT_GE(std::max_element(perBucket.begin(), perBucket.end(),
                             [](auto& a, auto& b) { return a.second < b.second; })->second, 3);
  for (int i = 0; i < 120; ++i) {
    std::string name = "SET" + std::to_string(i);
    TKyPkgDisplaySetFont* f = Display().FindFont(name);
    ASSERT_NE(f, nullptr) << name;
    EXPECT_EQ(f->Font().Height, -i);
  }
  EXPECT_EQ(Display().FindFont("set120"), nullptr);
  EXPECT_EQ(Display().FindFont("  "), nullptr);

  // Reading does not check duplicates; the later set is found.
  TTstContainer loading(nullptr);
  loading.loading = true;
  auto* dup = new TKyPkgDisplay(&loading);
  dup->AddFont("sf2")->SetFont(Font("first", -1));
  dup->AddFont("SF2")->SetFont(Font("second", -2));
  LoadBytes(Display(), dup->SaveToBytes());
  EXPECT_EQ(Display().FontSets().Count(), 2);
  EXPECT_EQ(Display().FindFont("Sf2")->Font().Name, "second");
}

TEST_F(PkgDisplayTest, DuplicateNamesAreRefusedWith15To17OutsideLoading) {
  TKyPkgDisplay& d = Display();
  d.AddFont("sf2");
  d.AddBackGround("sb1");
  d.AddColor("sc5");
  struct TCase {
    TKySetKind kind;
    std::string name;
    std::string message;
  };
  const TCase cases[] = {
      {sekFont, "SF2", "SetFont 'SF2' ya existe."},
      {sekBackGround, "sb1", "SetBackGround 'sb1' ya existe."},
      {sekColor, "sc5", "SetColor 'sc5' ya existe."},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Raised([&] { d.Sets(c.kind).AddSet(c.name); }), c.message);
    EXPECT_EQ(d.Sets(c.kind).Count(), 1);
  }
  // Renaming onto a held name is refused too; a change of letter case is not.
  auto* other = d.AddColor("sc6");
  EXPECT_EQ(Raised([&] { other->SetName("SC5"); }), "SetColor 'SC5' ya existe.");
  EXPECT_EQ(other->Name(), "sc6");
  other->SetName("SC6");
  EXPECT_EQ(d.FindColor("sc6"), other);
}

TEST_F(PkgDisplayTest, TheLibraryDefaultsAreThe36SetsInTheirOrder) {
  struct TRow {
    const char* name;
    TKySetKind kind;
    TKyColor value;
  };
  const TRow rows[] = {
      {"Dft_BackGround", sekBackGround, kClBtnFace}, {"Dft_Font", sekFont, 0},
      {"Dft_ColText", sekColor, kClWindowText},      {"Dft_StandOut", sekColor, 0x0000FF},
      {"Dft_TextDisLight", sekColor, kClBtnHighlight}, {"Dft_TextDisShadow", sekColor, kClBtnShadow},
      {"Dft_ColShadow", sekColor, kClBtnShadow},     {"Dft_ColBox", sekColor, 0},
      {"Dft_3DMLight", sekColor, 0xE2E2E2},          {"Dft_3DLight", sekColor, kClBtnHighlight},
      {"Dft_3DShadow", sekColor, kClBtnShadow},      {"Dft_CkGrayedBG", sekBackGround, 0xE2E2E2},
      {"Dft_CkCheckedBG", sekBackGround, kClBtnShadow}, {"Dft_CkUnCheckedBG", sekBackGround, kClBtnHighlight},
      {"Dft_HelpBG", sekBackGround, kClInfoBk},      {"Dft_EdColLight", sekColor, kClInfoBk},
      {"Dft_EdAccelChar", sekColor, kClWindowText},  {"Dft_EdBackGround", sekBackGround, kClWindow},
      {"Dft_EdDisabledBG", sekBackGround, 0xE2E2E2}, {"Dft_EdSelectedText", sekColor, kClBtnHighlight},
      {"Dft_EdSelectedBG", sekBackGround, kClHighlight}, {"Dft_SBGeneralBG", sekBackGround, 0xE2E2E2},
      {"Dft_SBGeneralColBox", sekColor, kClBtnHighlight}, {"Dft_SBPagesBG", sekBackGround, 0},
      {"Dft_SBButtonsBGUp", sekBackGround, kClBtnFace}, {"Dft_SBButtonsBGOver", sekBackGround, kClBtnShadow},
      {"Dft_SBButtonsBGDown", sekBackGround, 0},     {"Dft_SBButtonsColBox", sekColor, kClBtnShadow},
      {"Dft_SBButtonsColSelBox", sekColor, kClBtnShadow}, {"Dft_SBThumbsBGUp", sekBackGround, kClBtnFace},
      {"Dft_SBThumbsBGOver", sekBackGround, kClBtnShadow}, {"Dft_SBThumbsBGDown", sekBackGround, 0},
      {"Dft_SBThumbsColBox", sekColor, kClBtnShadow}, {"Dft_SBThumbsColSelBox", sekColor, kClBtnShadow},
      {"Dft_BBColFocus", sekColor, kClHighlight},    {"Dft_BBColDefault", sekColor, 0},
  };
  const auto& defaults = LibraryDefaultSets();
  ASSERT_EQ(defaults.size(), std::size(rows));
  for (size_t i = 0; i < defaults.size(); ++i) {
    SCOPED_TRACE(rows[i].name);
    TKySetObject* o = defaults[i];
    EXPECT_EQ(o->Name(), rows[i].name);
    EXPECT_EQ(o->SetKind(), rows[i].kind);
    EXPECT_EQ(o->Fallback(), nullptr);
    EXPECT_EQ(LibraryDefaultSet(LowerCase(rows[i].name)), o);
    // With an empty display package each answers its default value.
    if (rows[i].kind == sekColor) {
      EXPECT_EQ(static_cast<TKySetColor*>(o)->Value(), rows[i].value);
    } else if (rows[i].kind == sekBackGround) {
      EXPECT_EQ(static_cast<TKySetBackGround*>(o)->Value(), rows[i].value);
    }
  }
  EXPECT_EQ(DftFont().Value(), LibraryDefaultFont());
  EXPECT_EQ(LibraryDefaultFont().Name, "MS Sans Serif");
}

TEST_F(PkgDisplayTest, ObjectsFallBackAlongTheirChainAndDefaultAlwaysTakesTheFallback) {
  TKyPkgDisplay& d = Display();
  d.AddFont("sf2")->SetFont(Font("MS Sans Serif", -13, true));
  d.AddFont("<Default>")->SetFont(Font("Trap", -99));
  d.AddColor("sc5")->SetColor(0x000505);
  d.AddBackGround("sb14")->SetFillKind(10);

  TKySetFont parent(nullptr, "sf2");
  struct TCase {
    std::string name;
    TKySetFont* fallback;
    std::string wantFont;
    bool resolves;
  };
  const TCase cases[] = {
      {"sf2", nullptr, "MS Sans Serif", true},
      {"SF2", nullptr, "MS Sans Serif", true},
      {"sf99", nullptr, LibraryDefaultFont().Name, false},  // absent: "Dft_Font"
      {"", nullptr, LibraryDefaultFont().Name, false},
      {"<Default>", &parent, "MS Sans Serif", true},        // even with a set of that name
      {" <DEFAULT> ", &parent, "MS Sans Serif", true},
      {"<default>", nullptr, LibraryDefaultFont().Name, false},
      {"sf99", &parent, "MS Sans Serif", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TKySetFont f(nullptr, c.name, c.fallback);
    EXPECT_EQ(f.Value().Name, c.wantFont);
    EXPECT_EQ(f.IsResolved(), c.resolves);
    EXPECT_EQ(f.Fallback(), c.fallback ? c.fallback : static_cast<TKySetObject*>(&DftFont()));
  }
  TKySetFont created(nullptr, "<Default>", &parent);
  EXPECT_TRUE(created.UsesDefaultName());

  TKySetColor colour(nullptr, "SC5"), absent(nullptr, "sc99");
  EXPECT_EQ(colour.Value(), 0x000505);
  EXPECT_EQ(absent.Fallback(), &DftColBox());
  EXPECT_EQ(absent.Value(), 0);  // "Dft_ColBox": black
  TKySetBackGround plain(nullptr, "sb99"), filled(nullptr, "sb14");
  EXPECT_EQ(plain.Fallback(), &DftBackGround());
  EXPECT_EQ(plain.Value(), kClBtnFace);
  EXPECT_TRUE(plain.IsPlain());
  EXPECT_FALSE(filled.IsPlain());

  // A package may redefine a library default: what falls back to it follows.
  d.AddFont("Dft_Font")->SetFont(Font("Tahoma", -11));
  TKySetFont later(nullptr, "sf99");
  EXPECT_EQ(later.Value().Name, "Tahoma");
}

TEST_F(PkgDisplayTest, WithoutAnApplicationConfigurationObjectsTakeTheDefaults) {
  Display().AddColor("sc5")->SetColor(0x000505);
  UnregisterPkgApplication(&app);
  TKySetColor c(nullptr, "sc5");
  EXPECT_EQ(c.Value(), 0);
  EXPECT_FALSE(c.Resolved());
  RegisterPkgApplication(&app);
  EXPECT_EQ(c.Value(), 0x000505);
}

TEST_F(PkgDisplayTest, TenChangesInOneBatchRepaintEachControlOnce) {
  TKyPkgDisplay& d = Display();
  for (int i = 0; i < 10; ++i) d.AddColor("sc" + std::to_string(i));
  std::vector<std::unique_ptr<TTstSkinned<TKySetColor>>> controls;
  for (int i = 0; i < 10; ++i) controls.push_back(std::make_unique<TTstSkinned<TKySetColor>>("sc" + std::to_string(i)));
  TTstSkinned<TKySetColor> elsewhere("sc99");
  for (auto& c : controls) c->set.Value();
  elsewhere.set.Value();
  {
    TKyChangeBatch batch;
    for (int i = 0; i < 10; ++i) static_cast<TKyPkgDisplaySetColor*>(d.ColorSets().Items(i))->SetColor(i + 1);
    for (auto& c : controls) EXPECT_EQ(c->repaints, 0);
  }
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(controls[static_cast<size_t>(i)]->repaints, 1) << i;
    EXPECT_EQ(controls[static_cast<size_t>(i)]->set.Value(), i + 1);
  }
  EXPECT_EQ(elsewhere.repaints, 0);

  // Reading a whole package: one repaint each, and the one that fell back
  // and now finds its set is told as well.
  TTstContainer holder(nullptr);
  auto* source = new TKyPkgDisplay(&holder);
  for (int i = 0; i < 10; ++i) source->AddColor("SC" + std::to_string(i))->SetColor(100 + i);
  source->AddColor("sc99")->SetColor(99);
  LoadBytes(d, source->SaveToBytes());
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(controls[static_cast<size_t>(i)]->repaints, 2) << i;
    EXPECT_EQ(controls[static_cast<size_t>(i)]->set.Value(), 100 + i);
  }
  EXPECT_EQ(elsewhere.repaints, 1);
  EXPECT_EQ(elsewhere.set.Value(), 99);
}

TEST_F(PkgDisplayTest, AddingRenamingAndDeletingSetsReachTheObjectsThatFellBack) {
  TKyPkgDisplay& d = Display();
  TTstSkinned<TKySetFont> control("sf7");
  EXPECT_EQ(control.set.Value(), LibraryDefaultFont());
  auto* sf = d.AddFont("sf7");
  sf->SetFont(Font("Verdana", -12));
  EXPECT_EQ(control.set.Value().Name, "Verdana");
  EXPECT_GE(control.repaints, 1);

  // The chain root redefined and renamed: an object resting on it follows.
  auto* root = d.AddFont("Dft_Font");
  root->SetFont(Font("Tahoma", -11));
  TTstSkinned<TKySetFont> resting("nothing");
  EXPECT_EQ(resting.set.Value().Name, "Tahoma");
  root->SetName("Dft_Font2");
  EXPECT_EQ(resting.set.Value(), LibraryDefaultFont());
  EXPECT_EQ(resting.repaints, 1);
  int before = control.repaints;
  sf->SetName("sf8");
  EXPECT_EQ(control.set.Value(), LibraryDefaultFont());
  EXPECT_EQ(control.repaints, before + 1);
  root->SetName("sf7");
  EXPECT_EQ(control.set.Value().Name, "Tahoma");

  d.FontSets().DeleteSet(root);
  EXPECT_EQ(control.set.Value(), LibraryDefaultFont());
  EXPECT_EQ(d.FindFont("sf7"), nullptr);
}

TEST_F(PkgDisplayTest, FontHeightsScaleByScreenOverDesignResolution) {
  app.scaled = true;
  app.screen = 120;
  EXPECT_EQ(ScaleFontHeightFor(-13, 120, 96), -16);
  EXPECT_EQ(ScaleFontHeightFor(-11, 120, 96), -14);
  EXPECT_EQ(ScaleFontHeightFor(-11, 120, 0), -11);
  EXPECT_EQ(KyMulDiv(5, 3, 2), 8);
  EXPECT_EQ(KyMulDiv(-5, 3, 2), -8);
  EXPECT_EQ(KyMulDiv(1, 1, 0), -1);

  int32_t defaultHeight = LibraryDefaultFont().Height;
  bool scaledBefore = LibraryDefaultFontScaled();
  SetLibraryDefaultFontScaled(false);
  LoadBytes(Display(), DisplayBytes(3, {{"sf2", "MS Sans Serif", 8, -13, true}}, 96));
  EXPECT_EQ(Display().FindFont("sf2")->Font().Height, -16);
  EXPECT_EQ(LibraryDefaultFont().Height, ScaleFontHeightFor(defaultHeight, 120, 96));
  // Only once per process.
  LoadBytes(Display(), DisplayBytes(3, {{"sf2", "MS Sans Serif", 8, -13, true}}, 96));
  EXPECT_EQ(LibraryDefaultFont().Height, ScaleFontHeightFor(defaultHeight, 120, 96));
  LibraryDefaultFont().Height = defaultHeight;
  SetLibraryDefaultFontScaled(scaledBefore);
  // The scaled heights are written with the screen's resolution.
  EXPECT_EQ(Display().PixelsPerInch(), ScreenPixelsPerInch());

  // Unscaled, they keep the design resolution they were read with.
  app.scaled = false;
  LoadBytes(Display(), DisplayBytes(3, {{"sf2", "MS Sans Serif", 8, -13, true}}, 120));
  EXPECT_EQ(Display().FindFont("sf2")->Font().Height, -13);
  EXPECT_EQ(Display().PixelsPerInch(), 120);
}

TEST_F(PkgDisplayTest, LinkedDescriptionLabelsGiveTheDescriptionAfterALoad) {
  app.user->AddLabel(4, "Colour of the titles");
  TTstContainer holder(nullptr);
  auto* source = new TKyPkgDisplay(&holder);
  source->AddColor("sc1")->SetDescription("stored");
  source->ColorSets().Items(0)->SetDescriptionLabel("User", 4);
  source->AddColor("sc2")->SetDescription("kept");
  LoadBytes(Display(), source->SaveToBytes());
  EXPECT_EQ(Display().FindColor("sc1")->Description(), "Colour of the titles");
  EXPECT_EQ(Display().FindColor("sc2")->Description(), "kept");
}

TEST_F(PkgDisplayTest, BackgroundImagesResolveThroughTheUserImages) {
  TTstContainer holder(nullptr);
  auto* source = new TKyPkgDisplay(&holder);
  source->UserImages().AddImage(17)->SetPicture("TBitmap", {'B', 'M'}, 2, 2);
  source->AddBackGround("sb10")->SetImage("User", 17);
  LoadBytes(Display(), source->SaveToBytes());
  TKySetBackGround bg(nullptr, "sb10");
  ASSERT_NE(bg.Resolve(), nullptr);
  EXPECT_EQ(bg.Resolve()->Image().Resolve(), Display().UserImages().Find(17));
  EXPECT_EQ(bg.Resolve()->Image().PictureData(), (std::vector<uint8_t>{'B', 'M'}));
}

TEST_F(PkgDisplayTest, AFreedFallbackLeavesItsDependantsOnTheLibraryDefault) {
  Display().AddColor("sc1")->SetColor(11);
  auto parent = std::make_unique<TKySetColor>(nullptr, "sc1");
  TKySetColor child(nullptr, "sc99", parent.get());
  EXPECT_EQ(child.Value(), 11);
  parent.reset();
  EXPECT_EQ(child.Fallback(), &DftColBox());
  EXPECT_EQ(child.Value(), 0);
}

namespace {

class TTstSkinHolder : public TComponent {
  KY_CLASS(TTstSkinHolder, TComponent)
public:
  using TCreateArg = TComponent*;
  explicit TTstSkinHolder(TComponent* owner)
      : TComponent(owner), setFont_(this, "<Default>"), setColText_(this), image_(this, "System", 5) {}
  static void Publish(TPublisher<TTstSkinHolder>& p) {
    p.Property("SetFont", &TTstSkinHolder::SetFont);
    p.Property("SetColText", &TTstSkinHolder::SetColText);
    p.Property("Image", &TTstSkinHolder::Image);
  }
  TKySetFont* SetFont() const { return const_cast<TKySetFont*>(&setFont_); }
  TKySetColor* SetColText() const { return const_cast<TKySetColor*>(&setColText_); }
  TKyMemoryImage* Image() const { return const_cast<TKyMemoryImage*>(&image_); }

private:
  TKySetFont setFont_;
  TKySetColor setColText_;
  TKyMemoryImage image_;
};

}  // namespace

TEST_F(PkgDisplayTest, SetObjectsAndImageReferencesStreamInForms) {
  RegisterClasses({&TTstSkinHolder::StaticClass()});
  TComponent base(nullptr);
  base.SetName("FmBase");
  auto* untouched = new TTstSkinHolder(&base);
  untouched->SetName("PaPlain");
  auto* h = new TTstSkinHolder(&base);
  h->SetName("PaTitle");
  h->SetFont()->SetName("sf2");
  h->SetColText()->SetName("sc5");
  h->Image()->SetReference("User", 17);
  std::string text = FormBinaryToText(WriteComponentBytes(&base));
  // Names still as created are not written.
  EXPECT_NE(text.find("object PaPlain: TTstSkinHolder\n  end"), std::string::npos) << text;
  EXPECT_NE(text.find("object PaTitle: TTstSkinHolder\n    SetFont.Name = 'sf2'\n    SetColText.Name = 'sc5'\n"
                      "    Image.PkgName = 'User'\n    Image.Id = 17\n  end"),
            std::string::npos)
      << text;

  Display().AddFont("SF2")->SetFont(Font("Arial", -20));
  TComponent copy(nullptr);
  ReadComponentBytes(WriteComponentBytes(&base), &copy);
  auto* read = copy.Find<TTstSkinHolder>("PaTitle");
  EXPECT_EQ(read->SetFont()->Value().Name, "Arial");
  EXPECT_EQ(read->Image()->Id(), 17);
  EXPECT_EQ(copy.Find<TTstSkinHolder>("PaPlain")->SetFont()->Name(), "<Default>");
  // With an ancestor only what differs.
  read->SetColText()->SetName("sc6");
  std::string derived = FormBinaryToText(WriteComponentBytes(&copy, &base));
  EXPECT_NE(derived.find("inherited PaTitle: TTstSkinHolder\n    SetColText.Name = 'sc6'\n  end"), std::string::npos)
      << derived;
}
