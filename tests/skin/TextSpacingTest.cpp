// Styled text spaces its words as the platform spaces a string: a line's
// ink sits in the same columns as plain text output puts it.
#include "support/WindowDriver.h"

#include "packages/DisplaySets.h"
#include "platform/graphics/Bitmap.h"
#include "skin/RegisterSkin.h"
#include "skin/TextDraw.h"

using namespace ky_test;

TEST(TextSpacing, ALineLooksAsPlainTextOutputDrawsIt) {
  App();
  RegisterSkinClasses();
  for (const char* text : {"Panel with an inner label", "with an", "Install Program 2.0", "Folder:  two  spaces"}) {
    TBitmap styled(300, 20, pf24bit), plain(300, 20, pf24bit);
    for (TBitmap* b : {&styled, &plain}) {
      b->Canvas()->Brush()->SetColor(kClWhite);
      b->Canvas()->FillRect({0, 0, 300, 20});
    }
    TRect out;
    DrawStyledText(styled.Canvas(), {0, 0, 300, 20}, fosNormal, out, false, 0, false, 0, false, false, layTop,
                   aliLeft, false, true, 1, 0, false, false, nullptr, nullptr, nullptr, nullptr, text);
    TKyFontData font = LibraryDefaultFont();
    plain.Canvas()->Font()->SetData(font);
    plain.Canvas()->Font()->SetColor(ColorToRGB(dynamic_cast<TKySetColor*>(LibraryDefaultSet("Dft_ColText"))->Value()));
    plain.Canvas()->Brush()->SetStyle(bsClear);
    plain.Canvas()->TextOut(0, 0, text);
    // Which columns hold ink (the two may sit at other heights).
    auto columns = [](TBitmap& b) {
      std::string inked;
      for (int x = 0; x < 300; ++x) {
        bool any = false;
        for (int y = 0; y < 20 && !any; ++y) any = b.Canvas()->Pixels(x, y) != kClWhite;
        inked += any ? '#' : '.';
      }
      return inked;
    };
    // From the first inked column on (the styled pass keeps a pixel of
    // room at its start).
    auto fromInk = [](const std::string& c) { return c.substr(c.find('#'), c.rfind('#') - c.find('#') + 1); };
    std::string want = columns(plain), got = columns(styled);
    ASSERT_NE(want.find('#'), std::string::npos) << text;
    ASSERT_NE(got.find('#'), std::string::npos) << text;
    EXPECT_EQ(fromInk(got), fromInk(want)) << text;
  }
}
