// Every GDI object the graphics layer makes goes again: the process's
// count of GDI objects is the same before and after.
#include <gtest/gtest.h>

#include <functional>

#include "GraphicsTestUtil.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/Jpeg.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Palette.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/Region.h"

using ky_test::GdiObjects;

namespace {

TEST(GdiLeaks, TheCountSeesOneObject) {
  DWORD before = GdiObjects();
  TBrushHandle brush(CreateSolidBrush(RGB(1, 2, 3)));
  EXPECT_EQ(GdiObjects(), before + 1);
  brush.Reset();
  EXPECT_EQ(GdiObjects(), before);
}

struct TLeakCase {
  const char* Name;
  std::function<void()> Work;
};

void Draw(TCanvas& c) {
  c.Font()->SetName("Arial");
  c.Font()->SetStyle({fsBold});
  c.TextOut(0, 0, "text");
  c.Font()->SetHeight(-20);  // a new font while the old one is selected
  c.TextOut(0, 0, "text");
  c.Pen()->SetWidth(2);
  c.Brush()->SetStyle(bsCross);
  c.Ellipse(0, 0, 10, 10);
  c.Brush()->SetColor(kClRed);
  c.Rectangle(0, 0, 5, 5);
  c.SetClipRect(TRect(0, 0, 3, 3));
  c.ResetClip();
}

TEST(GdiLeaks, NothingStaysBehind) {
  auto blocks = [] {
    auto b = ky_test::WhiteBitmap(16, 16, kClRed);
    return b;
  };
  const std::vector<TLeakCase> cases{
      {"fonts, pens and brushes with handles",
       [] {
         TFont f;
         f.Handle();
         TFont g;
         g.Assign(&f);
         g.Handle();
         f.SetHeight(-30);
         f.Handle();
         TPen p;
         p.Handle();
         TBrush b;
         b.Handle();
       }},
      {"a canvas on a memory DC",
       [] {
         TMemoryDcHandle dc(CreateCompatibleDC(nullptr));
         TCanvas c;
         c.SetHandle(dc.Get());
         Draw(c);
         c.SetHandle(nullptr);
       }},
      {"bitmaps drawn on, resized, converted, saved, loaded",
       [&] {
         auto b = blocks();
         Draw(*b->Canvas());
         b->SetSize(20, 10);
         b->SetPixelFormat(pf8bit);
         b->SetTransparent(true);
         auto bg = ky_test::WhiteBitmap(30, 30);
         bg->Canvas()->Draw(1, 1, b.get());
         bg->Canvas()->StretchDraw(TRect(0, 0, 30, 30), b.get());
         TMemoryStream s;
         b->SaveToStream(s);
         s.SetPosition(0);
         TBitmap c;
         c.LoadFromStream(s);
         c.Canvas()->Pixels(0, 0);
         c.Dormant();
         TBitmap d;
         d.Assign(&c);
         TBrush pattern;
         pattern.SetBitmap(&d);
         pattern.Handle();
       }},
      {"a bitmap canvas freed before its bitmap",
       [] {
         TBitmap b(4, 4);
         TCanvas* c = b.Canvas();
         c->TextOut(0, 0, "x");
         b.SetSize(8, 8);  // the DC goes with the old bitmap
         c->TextOut(0, 0, "y");
       }},
      {"JPEG encode and decode",
       [&] {
         auto b = blocks();
         TJPEGImage j;
         j.Assign(b.get());
         TMemoryStream s;
         j.SaveToStream(s);
         s.SetPosition(0);
         TJPEGImage k;
         k.LoadFromStream(s);
         auto bg = ky_test::WhiteBitmap(16, 16);
         bg->Canvas()->Draw(0, 0, &k);
       }},
      {"a JPEG that fails to decode",
       [] {
         TJPEGImage j;
         std::vector<uint8_t> junk{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
         TMemoryStream s(junk);
         EXPECT_THROW(j.LoadFromStream(s), EJPEG);
       }},
      {"icons and metafiles",
       [] {
         TMetafile m;
         m.SetWidth(10);
         m.SetHeight(10);
         {
           TMetafileCanvas c(m);
           Draw(c);
         }
         TMetafile copy;
         copy.Assign(&m);
         auto bg = ky_test::WhiteBitmap(10, 10);
         bg->Canvas()->Draw(0, 0, &copy);
         TIcon icon;
         icon.SetHandle(static_cast<HICON>(CopyImage(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)), IMAGE_ICON, 0, 0, 0)));
         bg->Canvas()->Draw(0, 0, &icon);
         TMemoryStream s;
         icon.SaveToStream(s);
         s.SetPosition(0);
         TIcon back;
         back.LoadFromStream(s);
         bg->Canvas()->Draw(0, 0, &back);
       }},
      {"pictures",
       [&] {
         TPicture p;
         auto b = blocks();
         p.SetGraphic(b.get());
         p.Bitmap()->Canvas()->TextOut(0, 0, "x");
         TPicture q;
         q.Assign(&p);
         p.Icon();
       }},
      {"regions and palettes",
       [] {
         TRegion r = TRegion::Ellipse(TRect(0, 0, 10, 10));
         r.Combine(TRegion::Rect(TRect(5, 5, 20, 20)), rgnXor);
         TRegion s = TRegion::FromData(r.Data());
         TPaletteHandle pal = CreateLogicalPalette({{1, 2, 3, 0}});
         TMemoryDcHandle dc(CreateCompatibleDC(nullptr));
         TPaletteSelection sel(dc.Get(), pal.Get());
       }},
  };
  // One round first: process-wide caches (stock objects, the screen DC,
  // the font cache) settle before counting.
  for (const TLeakCase& c : cases) c.Work();
  for (const TLeakCase& c : cases) {
    DWORD before = GdiObjects();
    for (int i = 0; i < 3; ++i) c.Work();
    EXPECT_EQ(GdiObjects(), before) << c.Name;
  }
}

}  // namespace
