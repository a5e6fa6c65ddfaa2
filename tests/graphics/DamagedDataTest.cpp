// Damaged pictures of every kind: cut short anywhere or with a byte changed,
// reading either succeeds (and the picture draws) or raises EInvalidGraphic;
// nothing else escapes and nothing crashes.
#include <gtest/gtest.h>

#include "GraphicsTestUtil.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"

namespace {

std::vector<uint8_t> Sample(const char* className) {
  auto bmp = ky_test::WhiteBitmap(9, 7, kClRed);
  bmp->Canvas()->Brush()->SetColor(kClBlue);
  bmp->Canvas()->Ellipse(1, 1, 8, 6);
  TMemoryStream s;
  std::string name = className;
  if (name == "TBitmap") {
    bmp->SetPixelFormat(pf8bit);
    bmp->SaveToStream(s);
  } else if (name == "TJPEGImage") {
    TJPEGImage j;
    j.Assign(bmp.get());
    j.SaveToStream(s);
  } else if (name == "TIcon") {
    TIcon i;
    i.SetHandle(static_cast<HICON>(CopyImage(LoadIconA(nullptr, MAKEINTRESOURCEA(32516)), IMAGE_ICON, 16, 16, 0)));
    i.SaveToStream(s);
  } else {
    // "TMetafile" an EMF, "TMetafile.wmf" the older format it converts to.
    TMetafile m;
    m.SetWidth(9);
    m.SetHeight(7);
    {
      TMetafileCanvas c(m);
      c.Draw(0, 0, bmp.get());
      c.Rectangle(0, 0, 5, 5);
    }
    if (name == "TMetafile") {
      m.SaveToStream(s);
    } else {
      TWindowDc screen(nullptr);
      std::vector<uint8_t> wmf(GetWinMetaFileBits(m.Handle(), 0, nullptr, MM_ANISOTROPIC, screen.Get()));
      GetWinMetaFileBits(m.Handle(), static_cast<UINT>(wmf.size()), wmf.data(), MM_ANISOTROPIC, screen.Get());
      return wmf;
    }
  }
  return s.Data();
}

// Loads and draws; returns false when the data was refused.
bool LoadAndDraw(std::string className, const std::vector<uint8_t>& bytes) {
  className = className.substr(0, className.find('.'));
  std::unique_ptr<TGraphic> g = CreateGraphic(className);
  TMemoryStream s(bytes);
  try {
    g->LoadFromStream(s);
    auto target = ky_test::WhiteBitmap(20, 20);
    target->Canvas()->StretchDraw(TRect(0, 0, 20, 20), g.get());
    return true;
  } catch (const EInvalidGraphic&) {
    return false;
  }
}

class DamagedData : public testing::TestWithParam<const char*> {};

TEST_P(DamagedData, CutShortAnywhere) {
  std::vector<uint8_t> good = Sample(GetParam());
  ASSERT_TRUE(LoadAndDraw(GetParam(), good));
  int refused = 0;
  for (size_t n = 0; n < good.size(); ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    try {
      if (!LoadAndDraw(GetParam(), cut)) ++refused;
    } catch (const std::exception& e) {
      ADD_FAILURE() << GetParam() << " cut at " << n << " of " << good.size() << ": " << e.what();
    }
  }
  EXPECT_GT(refused, 0);
}

TEST_P(DamagedData, OneByteChangedAnywhere) {
  std::vector<uint8_t> good = Sample(GetParam());
  for (size_t i = 0; i < good.size(); ++i) {
    for (uint8_t value : {uint8_t(good[i] ^ 0xFF), uint8_t(good[i] ^ 0x5A)}) {
      std::vector<uint8_t> bad = good;
      bad[i] = value;
      try {
        LoadAndDraw(GetParam(), bad);
      } catch (const std::exception& e) {
        ADD_FAILURE() << GetParam() << " byte " << i << " = " << int(value) << ": " << e.what();
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedData, testing::Values("TBitmap", "TJPEGImage", "TIcon", "TMetafile", "TMetafile.wmf"));

}  // namespace
