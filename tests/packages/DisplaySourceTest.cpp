// Display and images packages as readable sources through pkgtool: round
// trips to the same bytes with the pictures and regions as files beside the
// source, what a hand-written source may leave out, and faulty sources.
#include <gtest/gtest.h>

#include "DisplayTestSupport.h"
#include "PkgSource.h"
#include "PkgTestSupport.h"
#include "support/TempDir.h"

using namespace ky_test;

namespace {


// A BMP file head: "BM", sizes, then width 20 and height -7 (top-down).
std::vector<uint8_t> BmpBytes() {
  std::vector<uint8_t> b(30, 0);
  b[0] = 'B';
  b[1] = 'M';
  b[18] = 20;
  b[22] = 0xF9;
  b[23] = b[24] = b[25] = 0xFF;
  return b;
}

// A JPEG start with a frame header of 542 x 343.
std::vector<uint8_t> JpegBytes() {
  return {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 'J', 'F', 0xFF, 0xC0, 0x00, 0x11, 0x08,
          0x01, 0x57, 0x02, 0x1E, 0x03, 0x01, 0x22, 0x00, 0xFF, 0xD9};
}

void FillImages(TKyPkgImages& p, int salt) {
  p.SetDescription("pictures " + std::to_string(salt));
  auto* a = p.AddImage(4);
  a->SetPicture("TBitmap", BmpBytes(), 20, 7);
  a->SetRegion1({32, 0, 0, 0, 1, 0, 0, 0, static_cast<uint8_t>(salt)});
  a->SetRegion2({1, 2});
  a->SetOption(0, true);
  a->SetSetting(3, -2);
  p.AddImage(17)->SetPicture("TJPEGImage", JpegBytes(), 542, 343);
  p.AddImage(4)->SetPicture("TBitmap", {'B', 'M', static_cast<uint8_t>(salt)}, 1, 1);  // same id again
  p.AddImage(5)->SetPicture("TPngImage", {1, 2, 3}, 3, 3);                            // a class nobody knows
  p.AddImage(6);                                                                      // no picture
  p.AddImage(7)->SetPicture("TMetafile", {0xD7, 0xCD, 0xC6, 0x9A}, 8, 8);
  p.SetPreserved(2, -1);
  p.SetPreservedFlag(0, true);
}

// Decompiles file with pkgtool, compiles the source again, and returns the
// new bytes; the source lands at dir\name.
std::string ThroughTheTool(const TempDir& dir, const std::string& file, const std::string& name) {
  std::string tool = ToolFromEnv("KY_PKGTOOL");
  std::string source = dir / name, again = dir / (name + ".bin");
  ToolResult r = RunTool(tool, "decompile \"" + file + "\" \"" + source + "\"");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  r = RunTool(tool, "compile \"" + source + "\" \"" + again + "\"");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  return ReadAll(again);
}

}  // namespace

TEST(DisplaySourceTest, ADisplayPackageComesBackWithTheSameBytes) {
  TempDir dir;
  // Loading, as a reader is: duplicate names are kept, not refused.
  TTstContainer holder(nullptr);
  holder.loading = true;
  auto* d = new TKyPkgDisplay(&holder);
  d->SetDescription("Display config 1 (Display)");
  d->SetCustomColors("ColorA=66CCFF\r\nColorB=FFFFFFFF\r\nColorP=FFFFFFFF");
  FillImages(d->SystemImages(), 1);
  FillImages(d->UserImages(), 2);
  for (auto [name, colour] : {std::pair{"sc1", 0x00336699}, std::pair{"sc2", int32_t(0x8000000F)},
                              std::pair{"SC2", -5}, std::pair{"sc3", 0x1FFFFFFF}})
    d->AddColor(name)->SetColor(colour);
  d->ColorSets().Items(0)->SetDescription("line\r\nbreak, comma | bar \\ and \xE9");
  d->ColorSets().Items(1)->SetDescriptionLabel("", 7);
  TKyFontData f;
  f.Name = "Arial";
  f.Height = -27;
  f.Bold = f.StrikeOut = true;
  f.Charset = 238;
  f.Pitch = 2;
  f.Color = static_cast<TKyColor>(0x80000012);
  d->AddFont("sf1")->SetFont(f);
  d->FontSets().Items(0)->SetDescriptionLabel("Idioma", 12);
  f = TKyFontData{};
  f.Height = 14;
  d->AddFont("sf2")->SetFont(f);
  auto* sb = d->AddBackGround("sb14");
  sb->SetFillKind(19);
  sb->SetColor1(0x00FF00);
  sb->SetColor2(0x0000FF);
  sb->SetImage("User", 17);
  sb->SetFlag(true);
  d->AddBackGround("sb1");
  d->SetPixelsPerInch(120);
  std::string file = dir / "Standard.dis";
  d->SaveToFile(file);

  EXPECT_EQ(ThroughTheTool(dir, file, "Standard.display"), ReadAll(file));
  // The pictures are ordinary files beside the source, named by id.
  std::vector<uint8_t> jpeg = JpegBytes();
  EXPECT_EQ(ReadAll(dir / "Standard\\User\\17.jpg"), std::string(jpeg.begin(), jpeg.end()));
  EXPECT_TRUE(dir.Exists("Standard\\System\\4.bmp"));
  EXPECT_TRUE(dir.Exists("Standard\\System\\4-2.bmp"));
  EXPECT_TRUE(dir.Exists("Standard\\System\\4.rgn"));
  EXPECT_TRUE(dir.Exists("Standard\\System\\4.rgn2"));
  EXPECT_TRUE(dir.Exists("Standard\\System\\7.wmf"));
  EXPECT_TRUE(dir.Exists("Standard\\System\\5.bin"));
  std::string source = dir.ReadFile("Standard.display");
  for (const char* line : {"Class=Display", "PixelsPerInch=120", "Color=clBtnFace", "Style=Bold,StrikeOut",
                           "Color=clBtnText", "Picture=Standard/User/17.jpg", "Color=$FFFFFFFB"})
    EXPECT_NE(source.find(line), std::string::npos) << line;
  // Decompiling the compiled package again gives the same source.
  EXPECT_EQ(ThroughTheTool(dir, dir / "Standard.display.bin", "Again.display"), ReadAll(file));
  std::string again = dir.ReadFile("Again.display");
  for (size_t p; (p = again.find("Again/")) != std::string::npos;) again.replace(p, 6, "Standard/");
  EXPECT_EQ(again, source);
}

TEST(DisplaySourceTest, AnImagesPackageComesBackWithTheSameBytes) {
  TempDir dir;
  TKyPkgImages p(nullptr);
  FillImages(p, 3);
  std::string file = dir / "Glyphs.pim";
  p.SaveToFile(file);
  EXPECT_EQ(ThroughTheTool(dir, file, "Glyphs.images"), ReadAll(file));
  EXPECT_TRUE(dir.Exists("Glyphs\\17.jpg"));
  EXPECT_NE(dir.ReadFile("Glyphs.images").find("Class=Images"), std::string::npos);
}

TEST(DisplaySourceTest, AHandWrittenSourceMayLeaveOutClassSizesAndDefaults) {
  TempDir dir;
  dir.MakeDir("art");
  std::vector<uint8_t> bmp = BmpBytes(), jpeg = JpegBytes();
  dir.WriteFile("art\\check.BMP", std::string(bmp.begin(), bmp.end()));
  dir.WriteFile("art\\photo.jpeg", std::string(jpeg.begin(), jpeg.end()));
  dir.WriteFile("Skin.display",
                "; a skin\n"
                "[Package]\nClass=Display\nDescription=Skin\nCustomColors=<<\nColorA=66CCFF\nColorB=FFFFFF\n>>\n"
                "[Colors]\nName=sc1\nColor=clRed\n\nName=sc2\nColor=$00E2E2E2\n\nName=sc3\nColor=255\n"
                "[Fonts]\nName=sf1\nFont=Tahoma\nHeight=-11\nStyle=italic, underline\n"
                "[BackGrounds]\nName=sb1\nFill=1\nColor1=clWhite\nImagePackage=User\nImageId=2\n"
                "[User Images]\nDescription=mine\nId=1\nPicture=art/check.BMP\n\nId=2\nPicture=art/photo.jpeg\n"
                "Options=True,True,False\n");
  TKyPkgDisplay* d = static_cast<TKyPkgDisplay*>(CompileSource(TPkgSource::Load(dir / "Skin.display")).release());
  std::unique_ptr<TKyPkgInfo> owned(d);
  EXPECT_EQ(d->Description(), "Skin");
  EXPECT_EQ(d->CustomColors(), "ColorA=66CCFF\r\nColorB=FFFFFF");
  EXPECT_EQ(d->FindColor("sc1")->Color(), 0x0000FF);
  EXPECT_EQ(d->FindColor("sc2")->Color(), 0xE2E2E2);
  EXPECT_EQ(d->FindColor("sc3")->Color(), 255);
  EXPECT_EQ(d->FindColor("sc1")->DescriptionLabel().Id(), -1);
  const TKyFontData& f = d->FindFont("sf1")->Font();
  EXPECT_EQ(f.Name, "Tahoma");
  EXPECT_TRUE(f.Italic && f.Underline && !f.Bold && !f.StrikeOut);
  EXPECT_EQ(f.Charset, TKyFontData{}.Charset);
  auto* sb = d->FindBackGround("sb1");
  EXPECT_EQ(sb->FillKind(), 1);
  EXPECT_EQ(sb->Color1(), 0xFFFFFF);
  EXPECT_EQ(sb->Image().Id(), 2);
  EXPECT_FALSE(sb->Flag());
  TKyPkgImages& u = d->UserImages();
  EXPECT_EQ(u.Description(), "mine");
  ASSERT_EQ(u.Count(), 2);
  EXPECT_EQ(u.Find(1)->GraphicClassName(), "TBitmap");
  EXPECT_EQ(u.Find(1)->Width(), 20);
  EXPECT_EQ(u.Find(1)->Height(), 7);
  EXPECT_EQ(u.Find(2)->GraphicClassName(), "TJPEGImage");
  EXPECT_EQ(u.Find(2)->Width(), 542);
  EXPECT_EQ(u.Find(2)->Height(), 343);
  EXPECT_FALSE(u.Find(2)->Option(2));
  EXPECT_EQ(u.Find(2)->Setting(0), 1);
  EXPECT_EQ(d->SystemImages().Count(), 0);
}

TEST(DisplaySourceTest, FaultySourcesAreRefusedNamingTheLine) {
  std::string tool = ToolFromEnv("KY_PKGTOOL");
  TempDir dir;
  dir.WriteFile("pic.gif", "GIF89a");
  struct TCase {
    std::string text;
    std::string expected;
  };
  const TCase cases[] = {
      {"[Package]\nClass=Display\n[Colors]\nColor=clRed\n", "(4): 'Color' before the first Name of [Colors]"},
      {"[Package]\nClass=Display\n[Colors]\nName=sc1\nColor=clPink\n", "(5): 'clPink' is not a colour"},
      {"[Package]\nClass=Display\n[Fonts]\nName=sf1\nStyle=Bold,Heavy\n", "(5): 'Heavy' is not a font style"},
      {"[Package]\nClass=Display\n[Fonts]\nName=sf1\nSize=8\n", "(5): unknown key 'Size' of a font set"},
      {"[Package]\nClass=Display\n[BackGrounds]\nName=sb1\nFill=256\n", "(5): Fill must be 0 to 255"},
      {"[Package]\nClass=Display\n[Images]\n", "(3): unknown section [Images]"},
      {"[Package]\nClass=Images\n[Images]\nId=1\nPicture=missing.bmp\n", "(5):"},
      {"[Package]\nClass=Images\n[Images]\nId=1\nPicture=pic.gif\n", "(4): give the Class of a picture"},
      {"[Package]\nClass=Images\n[Images]\nId=1\nClass=TBitmap\nPicture=pic.gif\n",
       "(4): give the Width and Height of this picture"},
      {"[Package]\nClass=Images\n[Images]\nId=1\nWidth=70000\n", "(5): Width must be 0 to 65535"},
      {"[Package]\nClass=Images\nPreserved=1,2\n", "(3): Preserved takes 11 values"},
      {"[Package]\nClass=Images\n[Images]\nId=1\nOptions=True,maybe,False\n", "(5): 'maybe' is not True or False"},
  };
  int n = 0;
  for (const TCase& c : cases) {
    std::string source = dir.WriteFile("case" + std::to_string(++n) + ".src", c.text);
    ToolResult r = RunTool(tool, "compile \"" + source + "\" \"" + (dir / "out.bin") + "\"");
    EXPECT_EQ(r.exitCode, 1) << c.text;
    EXPECT_NE(r.output.find(c.expected), std::string::npos) << c.text << "\n" << r.output;
  }
  EXPECT_FALSE(dir.Exists("out.bin"));
}

TEST(DisplaySourceTest, ARefusedPackageFileGivesTheLibraryMessage) {
  std::string tool = ToolFromEnv("KY_PKGTOOL");
  TempDir dir;
  std::vector<uint8_t> bytes = DisplayBytes(4, {});
  std::string file = dir.WriteFile("New.dis", std::string(bytes.begin(), bytes.end()));
  ToolResult r = RunTool(tool, "decompile \"" + file + "\" \"" + (dir / "New.display") + "\"");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("Versi\xF3n del fichero '" + file + "' incorrecta. (Configuraciones de Pantalla)."),
            std::string::npos)
      << r.output;
  // An older display package decompiles and compiles at the current version.
  bytes = DisplayBytes(2, {{"sf1", "Arial", 10, -27, true}});
  file = dir.WriteFile("Old.dis", std::string(bytes.begin(), bytes.end()));
  std::string current = ThroughTheTool(dir, file, "Old.display");
  ASSERT_GT(current.size(), 34u);
  EXPECT_EQ(current[32], 3);
}
