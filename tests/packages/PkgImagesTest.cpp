// Images packages: the file format with its raw entry heads and version
// gates, lookups, reserved names, damaged input, and the image references.
#include <gtest/gtest.h>

#include "DisplayTestSupport.h"
#include "packages/MessageService.h"
#include "platform/base/Exception.h"

using namespace ky_test;

namespace {

const std::vector<uint8_t> kBmp = {'B', 'M', 1, 2, 3, 4};
const std::vector<uint8_t> kJpeg = {0xFF, 0xD8, 0xFF, 0xD9};

class PkgImagesTest : public ::testing::Test {
protected:
  TTstDisplayApp app;
  TComponent form{nullptr};
};

// An entry and every field a reader fills.
struct TImageFields {
  int32_t id;
  uint16_t w, h;
  std::string cls;
  std::vector<uint8_t> data, region1, region2;
  std::vector<bool> options;
  std::vector<int32_t> settings;
};

TImageFields Fields(const TKyPkgImagesImage& i) {
  TImageFields f{i.Id(), i.Width(), i.Height(), i.GraphicClassName(), i.Data(), i.Region1(), i.Region2(), {}, {}};
  for (int k = 0; k < TKyPkgImagesImage::kOptionCount; ++k) f.options.push_back(i.Option(k));
  for (int k = 0; k < TKyPkgImagesImage::kSettingCount; ++k) f.settings.push_back(i.Setting(k));
  return f;
}

void ExpectFields(const TKyPkgImagesImage& i, const TImageFields& want) {
  TImageFields got = Fields(i);
  EXPECT_EQ(got.id, want.id);
  EXPECT_EQ(got.w, want.w);
  EXPECT_EQ(got.h, want.h);
  EXPECT_EQ(got.cls, want.cls);
  EXPECT_EQ(got.data, want.data);
  EXPECT_EQ(got.region1, want.region1);
  EXPECT_EQ(got.region2, want.region2);
  EXPECT_EQ(got.options, want.options);
  EXPECT_EQ(got.settings, want.settings);
}

}  // namespace

TEST_F(PkgImagesTest, RoundTripAtTheCurrentVersionKeepsEveryField) {
  TKyPkgImages pkg(nullptr);
  pkg.SetDescription("glyphs");
  TKyPkgImagesImage* a = pkg.AddImage(300);
  a->SetPicture("TBitmap", kBmp, 542, 343);
  a->SetRegion1({1, 2, 3});
  a->SetRegion2({9});
  a->SetOption(0, true);
  a->SetOption(2, false);
  a->SetSetting(7, -5);
  pkg.AddImage(-7)->SetPicture("TJPEGImage", kJpeg, 1, 65535);
  pkg.AddImage(300);  // a second entry of that id, without a picture
  pkg.SetPreserved(0, 12);
  pkg.SetPreserved(10, 99);
  pkg.SetPreservedFlag(1, true);
  std::vector<uint8_t> bytes = pkg.SaveToBytes();
  EXPECT_EQ(bytes[32] | (bytes[33] << 8), 6);

  TKyPkgImages back(nullptr);
  LoadBytes(back, bytes);
  EXPECT_EQ(back.Description(), "glyphs");
  ASSERT_EQ(back.Count(), 3);
  ExpectFields(*back.Images(0), Fields(*a));
  ExpectFields(*back.Images(1), Fields(*pkg.Images(1)));
  EXPECT_EQ(back.Preserved(0), 12);
  EXPECT_EQ(back.Preserved(1), 2147483647);
  EXPECT_EQ(back.Preserved(8), 0);
  EXPECT_EQ(back.Preserved(10), 99);
  EXPECT_FALSE(back.PreservedFlag(0));
  EXPECT_TRUE(back.PreservedFlag(1));
  // Of two entries with one id the later wins the lookup; both are written.
  EXPECT_EQ(back.Find(300), back.Images(2));
  EXPECT_EQ(back.Find(-7), nullptr);
  EXPECT_EQ(back.SaveToBytes(), bytes);
}

TEST_F(PkgImagesTest, TheEntryHeadIsEightRawBytesNotTypedValues) {
  TKyPkgImages pkg(nullptr);
  pkg.AddImage(300)->SetPicture("TBitmap", kBmp, 0x0102, 0x0304);
  std::vector<uint8_t> bytes = pkg.SaveToBytes();
  // Header, empty description (tag 6, length 0), count 1 (tag 2, 1).
  size_t at = 34 + 2 + 2;
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + 8),
            (std::vector<uint8_t>{0x2C, 0x01, 0, 0, 0x02, 0x01, 0x04, 0x03}));
  TMemoryStream m(bytes);
  m.SetPosition(static_cast<int64_t>(at));
  TKyReader r(m);
  EXPECT_THROW(r.ReadInteger(), EReadError);
}

TEST_F(PkgImagesTest, OlderVersionsReadWithDefaultsForWhatTheyLack) {
  TTstImage image{5, 16, 15, "TBitmap", kBmp, {7, 7}, {8}, {true, false, false}, {2, 3, 4, 5, 6, 7, 8, 9}};
  const std::vector<int32_t> ten = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  struct TCase {
    uint16_t version;
    std::vector<int32_t> preserved;
    std::vector<bool> flags;
    bool hasRegion1, hasOptions, hasSettings, hasRegion2;
  };
  const TCase cases[] = {
      {1, {}, {}, false, false, false, false},
      {2, {}, {}, true, false, false, false},
      {3, ten, {}, true, true, false, false},
      {4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {}, true, true, false, false},
      {5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {}, true, true, true, false},
      {6, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {true, true}, true, true, true, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.version);
    TKyPkgImages pkg(nullptr);
    LoadBytes(pkg, ImagesBytes(c.version, "old", {image}, c.preserved, c.flags));
    ASSERT_EQ(pkg.Count(), 1);
    TImageFields want{5, 16, 15, "TBitmap", kBmp, {}, {}, {false, true, true}, std::vector<int32_t>(8, 1)};
    if (c.hasRegion1) want.region1 = image.region1;
    if (c.hasOptions) want.options = image.options;
    if (c.hasSettings) want.settings = image.settings;
    if (c.hasRegion2) want.region2 = image.region2;
    ExpectFields(*pkg.Images(0), want);
    for (int k = 0; k < TKyPkgImages::kPreservedCount; ++k) {
      int32_t def = k < 8 ? 2147483647 : 0;
      EXPECT_EQ(pkg.Preserved(k), k < static_cast<int>(c.preserved.size()) ? c.preserved[static_cast<size_t>(k)] : def)
          << k;
    }
    EXPECT_EQ(pkg.PreservedFlag(0), !c.flags.empty());
    // Written back at the current version with everything it holds.
    TKyPkgImages again(nullptr);
    LoadBytes(again, pkg.SaveToBytes());
    ExpectFields(*again.Images(0), want);
  }
}

TEST_F(PkgImagesTest, AWrongSignatureOrANewerVersionIsRefusedWithTheLibraryMessages) {
  TKyPkgImages pkg(nullptr);
  std::string name = pkg.FullFileName();
  EXPECT_EQ(Raised([&] { LoadBytes(pkg, ImagesBytes(6, "", {}, {}, {}, "KyPkgImagez")); }),
            "Identificaci\xF3n del fichero '" + name + "' incorrecta. (PkgImages).");
  EXPECT_EQ(Raised([&] { LoadBytes(pkg, ImagesBytes(7, "", {})); }),
            "Versi\xF3n del fichero '" + name + "' incorrecta. (PkgImages).");
  // Letter case of the signature does not matter.
  LoadBytes(pkg, ImagesBytes(6, "case", {}, std::vector<int32_t>(11, 0), {false, false}, "KYPKGIMAGES"));
  EXPECT_EQ(pkg.Description(), "case");
}

TEST_F(PkgImagesTest, DamagedCountsAndSizesAreRefusedBeforeAnythingIsAllocated) {
  auto damaged = [](int32_t count, int32_t size) {
    TMemoryStream m;
    {
      TKyWriter w(m);
      WritePkgHeader(w, "KyPkgImages", 6);
      w.WriteString("");
      w.WriteInteger(count);
      uint8_t head[8] = {1, 0, 0, 0, 1, 0, 1, 0};
      w.Write(head, 8);
      w.WriteString("TBitmap");
      w.WriteBoolean(false);
      w.WriteInteger(size);
      w.Write("BM", 2);
    }
    return m.Data();
  };
  for (auto [count, size] : {std::pair{1000000, 2}, std::pair{2147483647, 2}, std::pair{1, 2147483647},
                             std::pair{1, 100000}}) {
    TKyPkgImages pkg(nullptr);
    std::string message = Raised([&] { LoadBytes(pkg, damaged(count, size)); });
    EXPECT_NE(message.find("Damaged package"), std::string::npos) << count << " " << size << ": " << message;
    EXPECT_LE(pkg.Count(), 1);
  }
  // A negative count holds nothing; a negative size is no picture.
  TMemoryStream m;
  {
    TKyWriter w(m);
    WritePkgHeader(w, "KyPkgImages", 1);
    w.WriteString("");
    w.WriteInteger(2);
    uint8_t head[8] = {1, 0, 0, 0, 1, 0, 1, 0};
    w.Write(head, 8);
    w.WriteString("TBitmap");
    w.WriteInteger(-5);
    head[0] = 2;
    w.Write(head, 8);
    w.WriteString("TBitmap");
    w.WriteInteger(0);
  }
  TKyPkgImages pkg(nullptr);
  LoadBytes(pkg, m.Data());
  ASSERT_EQ(pkg.Count(), 2);
  EXPECT_TRUE(pkg.Images(0)->Data().empty());
  std::vector<uint8_t> negative = ImagesBytes(1, "", {});
  negative[34 + 2 + 1] = 0xFD;  // the count, -3
  LoadBytes(pkg, negative);
  EXPECT_EQ(pkg.Count(), 0);
}

TEST_F(PkgImagesTest, AnOddIdDoesNotGrowTheIndexList) {
  TKyPkgImages pkg(nullptr);
  LoadBytes(pkg, ImagesBytes(6, "", {{2147483647, 1, 1, "TBitmap", kBmp, {}, {}, {false, true, true}, std::vector<int32_t>(8, 1)}},
                             std::vector<int32_t>(11, 0), {false, false}));
  EXPECT_EQ(pkg.Find(2147483647), pkg.Images(0));
  EXPECT_EQ(pkg.Find(2147483646), nullptr);
}

TEST_F(PkgImagesTest, ReservedNamesAreRefusedWithMessage67) {
  auto* onForm = new TKyPkgImages(&form);
  onForm->SetName("PiForm");
  for (const char* name : {"System", "user", "SYSTEM"}) {
    EXPECT_EQ(Raised([&] { onForm->SetPkgName(name); }), "(PiForm) Nombre de Paquete incorrecto.") << name;
    EXPECT_EQ(onForm->PkgName(), "");
  }
  onForm->SetPkgName("Glyphs");
  EXPECT_EQ(onForm->PkgName(), "Glyphs");
  // Outside a form only "User" is refused.
  TKyPkgImages loose(nullptr);
  EXPECT_EQ(Raised([&] { loose.SetPkgName("User"); }), "Nombre de Paquete incorrecto.");
  loose.SetPkgName("System");
  EXPECT_EQ(loose.PkgName(), "System");
}

TEST_F(PkgImagesTest, ReferencesResolveThroughNamesAndReservedPackages) {
  app.display->UserImages().AddImage(17)->SetPicture("TJPEGImage", kJpeg, 2, 2);
  app.display->SystemImages().AddImage(4)->SetPicture("TBitmap", kBmp, 1, 1);
  app.display->UserImages().AddImage(18);  // no picture
  app.display->UserImages().AddImage(19)->SetPicture("TPngImage", kBmp, 1, 1);
  auto* glyphs = new TKyPkgImages(&form);
  glyphs->SetPkgName("Glyphs");
  glyphs->AddImage(1)->SetPicture("TIcon", {0, 0, 1, 0}, 32, 32);
  glyphs->Images(0)->SetRegion1({5, 6});

  TKyMemoryImage user, system, named, empty, unknown, notLinked, missing;
  user.SetReference("user", 17);
  system.SetReference("System", 4);
  named.SetReference("GLYPHS", 1);
  empty.SetReference("User", 18);
  unknown.SetReference("User", 19);
  notLinked.SetReference("User", -1);
  missing.SetReference("User", 1000);
  TKyMemoryImage byDefault(nullptr, "System", 4);

  EXPECT_EQ(user.Resolve(), app.display->UserImages().Find(17));
  EXPECT_EQ(user.GraphicClassName(), "TJPEGImage");
  EXPECT_EQ(user.PictureData(), kJpeg);
  EXPECT_EQ(system.Resolve(), app.display->SystemImages().Find(4));
  EXPECT_EQ(named.GraphicClassName(), "TIcon");
  EXPECT_EQ(named.WindowRegionData(), (std::vector<uint8_t>{5, 6}));
  EXPECT_TRUE(named.SecondRegionData().empty());
  EXPECT_EQ(byDefault.Resolve(), app.display->SystemImages().Find(4));
  // An entry without picture data exists but shows nothing.
  EXPECT_NE(app.display->UserImages().Find(18), nullptr);
  EXPECT_EQ(empty.Resolve(), nullptr);
  // A class the registry does not know gives no picture.
  EXPECT_NE(unknown.Resolve(), nullptr);
  EXPECT_EQ(unknown.GraphicClassName(), "");
  EXPECT_TRUE(unknown.PictureData().empty());
  EXPECT_FALSE(notLinked.IsLinked());
  EXPECT_EQ(notLinked.Resolve(), nullptr);
  EXPECT_EQ(missing.Resolve(), nullptr);
}

TEST_F(PkgImagesTest, ReloadingAPackageTellsEachReferenceOnceAndDeletingAnEntryDropsItsCache) {
  auto* glyphs = new TKyPkgImages(&form);
  glyphs->SetPkgName("Glyphs");
  glyphs->AddImage(1)->SetPicture("TBitmap", kBmp, 1, 1);
  struct TShown {
    TKyMemoryImage image;
    TKyChangeLink link;
    int told = 0, repaints = 0;
  };
  TShown shown[3];
  for (int i = 0; i < 3; ++i) {
    shown[i].image.SetReference("Glyphs", i == 2 ? 2 : 1);
    shown[i].image.OnChange = [&s = shown[i]](TKyMemoryImage*) {
      ++s.told;
      s.link.Change();
    };
    shown[i].link.OnChanged = [&s = shown[i]] { ++s.repaints; };
    shown[i].image.Resolve();
  }
  // Reading new content: those that showed a picture and the one that now
  // finds one are told, each once.
  TKyPkgImages source(nullptr);
  source.AddImage(1)->SetPicture("TBitmap", {'B', 'M', 9}, 1, 1);
  source.AddImage(2)->SetPicture("TBitmap", kBmp, 1, 1);
  LoadBytes(*glyphs, source.SaveToBytes());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(shown[i].repaints, 1) << i;
    EXPECT_NE(shown[i].image.Resolve(), nullptr) << i;
  }
  EXPECT_EQ(shown[0].image.PictureData(), (std::vector<uint8_t>{'B', 'M', 9}));

  glyphs->DeleteImage(glyphs->Find(2));
  EXPECT_EQ(shown[2].image.Resolve(), nullptr);
  EXPECT_EQ(shown[2].repaints, 2);
  EXPECT_EQ(shown[0].repaints, 1);

  // A later entry of an id takes it over, and the reference follows.
  glyphs->AddImage(1)->SetPicture("TBitmap", {'B', 'M', 7}, 1, 1);
  EXPECT_EQ(shown[0].image.PictureData(), (std::vector<uint8_t>{'B', 'M', 7}));
  EXPECT_EQ(shown[0].repaints, 3);  // the new entry, then its picture
}

TEST_F(PkgImagesTest, AssignCopiesTheReferenceAndTheDefaultReferenceLinks) {
  TKyMemoryImage plain, withDefault(nullptr, "System", 3);
  plain.SetReference("User", 17);
  TKyMemoryImage copy;
  int told = 0;
  copy.OnChange = [&told](TKyMemoryImage*) { ++told; };
  copy.Assign(&plain);
  EXPECT_EQ(copy.PkgName(), "User");
  EXPECT_EQ(copy.Id(), 17);
  EXPECT_EQ(told, 1);
  copy.Assign(&plain);
  EXPECT_EQ(told, 1);
  // Created with a default: -2, linked; an explicit -1 unlinks it.
  EXPECT_EQ(withDefault.Id(), -2);
  EXPECT_TRUE(withDefault.IsLinked());
  withDefault.SetId(-1);
  EXPECT_FALSE(withDefault.IsLinked());
}
