// The memo: a licence text from the active strings package and its caption
// following the language, read-only refusing typed keys, the editing
// protocol, the lines as a blob, and a text form with a memo and a
// progress bar that loads and paints.
#include "support/WindowDriver.h"

#include <string>
#include <vector>

#include "controls/ControlsTestSupport.h"
#include "controls/KyMemo.h"
#include "controls/KyProgressBar.h"
#include "controls/RegisterControls.h"
#include "packages/PkgStrings.h"
#include "platform/classes/FormStream.h"
#include "platform/classes/TextForm.h"
#include "platform/graphics/Graphics.h"
#include "skin/Panel.h"
#include "skin/Shapes.h"
#include "support/TempDir.h"

using namespace ky_test;

namespace {

const char* kEnglishLicence = "Terms of use\r\nYou may install this product\r\non one computer.";
const char* kSpanishLicence = "Condiciones de uso\r\nPuede instalar este producto\r\nen un ordenador.";

std::string Joined(TStrings* lines) {
  std::string s = lines->Text();
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

class MemoTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    RegisterControlClasses();
    RegisterPackageClasses();
    english = new TKyPkgStrings(&form);
    english->SetPkgName("Idioma");
    english->AddText(0, kEnglishLicence);
    english->AddLabel(3, "License:");
    spanish = new TKyPkgStrings(&form);
    spanish->SetPkgName("Idioma");
    spanish->AddText(0, kSpanishLicence);
    spanish->AddLabel(3, "Licencia:");
    english->SetActive(true);
    form.SetBorderStyle(bsNone);
    form.SetFormClientWidth(320);
    form.SetFormClientHeight(220);
    memo = new TKyMemo(&form);
    memo->SetName("EdLicense");
    memo->SetParent(&form);
    memo->SetBounds(10, 30, 280, 120);
    memo->SetReadOnly(true);
    memo->ValueId()->SetPkgName("Idioma");
    memo->ValueId()->SetId(0);
    memo->CaptionId()->SetPkgName("Idioma");
    memo->CaptionId()->SetId(3);
    memo->ILabel()->SetVisible(true);
    writable = new TKyMemo(&form);
    writable->SetParent(&form);
    writable->SetBounds(10, 160, 280, 50);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return memo->HandleAllocated() && writable->HandleAllocated(); }));
    memo->UpdateDisplay();
  }
  void Focus(TWinControl* c) {
    c->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return c->Focused(); }));
  }
  TTstLibrary library;
  TForm form{nullptr};
  TKyPkgStrings* english = nullptr;
  TKyPkgStrings* spanish = nullptr;
  TKyMemo* memo = nullptr;
  TKyMemo* writable = nullptr;
};

}  // namespace

TEST_F(MemoTest, TheLicenceAndItsCaptionFollowTheActiveLanguage) {
  EXPECT_EQ(Joined(memo->Lines()), kEnglishLicence);
  EXPECT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ(memo->InnerLabel()->Value().AsString(), "License:");
  EXPECT_FALSE(memo->Modified());
  spanish->SetActive(true);
  EXPECT_EQ(Joined(memo->Lines()), kSpanishLicence);
  EXPECT_EQ(memo->InnerLabel()->Value().AsString(), "Licencia:");
  spanish->SetActive(false);
  EXPECT_EQ(Joined(memo->Lines()), kEnglishLicence);
  EXPECT_EQ(memo->InnerLabel()->Value().AsString(), "License:");
  // Both frames, with and without a display update since the window was
  // made: sunken outside, the box colour inside.
  TSnapshot shot(&form);
  TKyColor box = ColorToRGB(LibraryDefaultColor("Dft_ColBox"));
  TKyColor shadow = ColorToRGB(LibraryDefaultColor("Dft_3DShadow"));
  for (TKyMemo* m : {memo, writable}) {
    EXPECT_EQ(shot.Pixel(m->Left(), m->Top() + 20), shadow);
    EXPECT_EQ(shot.Pixel(m->Left() + 1, m->Top() + 20), box);
  }
  // The vertical scroll bar takes its room inside the frame and shows on
  // the screen over the frame's fill.
  Pump();
  RECT client;
  GetClientRect(memo->Handle(), &client);
  EXPECT_LT(client.right, memo->Width() - 4 - 8);
  HDC dc = GetWindowDC(memo->Handle());
  TKyColor barPixel = static_cast<TKyColor>(GetPixel(dc, memo->Width() - 4, memo->Height() / 2));
  ReleaseDC(memo->Handle(), dc);
  EXPECT_NE(barPixel, ColorToRGB(memo->SetBackGround()->Value()));
  // The window shows the lines too.
  EXPECT_EQ(memo->Text(), kEnglishLicence);
}

TEST_F(MemoTest, ReadOnlyRefusesTypingAndAWritableMemoReportsItsEdit) {
  int started = 0, changes = 0;
  memo->OnStartEdit = [&](TObject*) { ++started; };
  Focus(memo);
  for (uint16_t key : {uint16_t(VK_DELETE), uint16_t(VK_BACK)}) PostKey(memo, key);
  PostChar(memo, 'x');
  PostChar(memo, '\r');
  // A marker through the writable one shows that the keys were handled.
  Focus(writable);
  writable->OnStartEdit = [&](TObject*) { ++started; };
  writable->OnChange = [&](TObject*) { ++changes; };
  PostChar(writable, 'o');
  PostChar(writable, 'k');
  ASSERT_TRUE(PumpUntil([&] { return writable->Text() == "ok"; })) << writable->Text();
  EXPECT_EQ(memo->Text(), kEnglishLicence);
  EXPECT_FALSE(memo->Modified());
  // One start per entry, a change per key.
  EXPECT_EQ(started, 1);
  EXPECT_EQ(changes, 2);
  // OnCanModify may refuse too.
  writable->OnCanModify = [](TObject*, bool& allow) { allow = false; };
  PostChar(writable, '!');
  PostKey(writable, VK_BACK);
  writable->OnCanModify = nullptr;
  PostChar(writable, '?');
  ASSERT_TRUE(PumpUntil([&] { return writable->Text() == "ok?"; })) << writable->Text();
}

TEST_F(MemoTest, TheBlobChangesTheLinesAsOneEdit) {
  int started = 0, changes = 0;
  writable->OnStartEdit = [&](TObject*) { ++started; };
  writable->OnChange = [&](TObject*) { ++changes; };
  TKyMemoBlob* blob = writable->Blob();
  EXPECT_TRUE(blob->IsEmpty());

  TempDir dir;
  std::string path = dir.WriteFile("notes.txt", "first\r\nsecond\r\nthird\r\n");
  blob->LoadFromFile(path);
  EXPECT_EQ(started, 1);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(writable->Modified());
  EXPECT_EQ(writable->Lines()->Count(), 3);
  EXPECT_EQ(writable->Text(), "first\r\nsecond\r\nthird");
  EXPECT_FALSE(blob->IsEmpty());

  // Saved and read into another memo through a stream.
  TMemoryStream stream;
  blob->SaveToStream(stream);
  stream.SetPosition(0);
  TKyMemoBlob* other = memo->Blob();
  other->LoadFromStream(stream);
  EXPECT_EQ(memo->Lines()->Strings(2), "third");

  // To and from string lists and other blobs.
  TStringList list;
  list.Add("one");
  list.Add("two");
  blob->Assign(&list);
  EXPECT_EQ(writable->Text(), "one\r\ntwo");
  TStringList back;
  blob->AssignTo(&back);
  EXPECT_EQ(back.Count(), 2);
  other->Assign(blob);
  EXPECT_EQ(Joined(memo->Lines()), "one\r\ntwo");

  blob->Clear();
  EXPECT_TRUE(blob->IsEmpty());
  EXPECT_EQ(writable->Text(), "");
  // Still the same edit: no second start.
  EXPECT_EQ(started, 1);
  EXPECT_EQ(changes, 3);

  // Saved to a file and read back.
  blob->Assign(&list);
  blob->SaveToFile(dir / "out.txt");
  EXPECT_EQ(dir.ReadFile("out.txt"), "one\r\ntwo\r\n");
}

// Over a panel with a left-to-right gradient: a transparent memo shows the
// gradient under its text while another control has the focus, also after
// scrolling; focused, it is plain. The shadow takes the right and bottom
// edges, with the gradient in the corners beside it.
TEST_F(MemoTest, ATransparentMemoShowsItsParentsBackgroundAndAShadow) {
  TKyPkgDisplaySetBackGround* fade = library.app.PkgDisplay()->AddBackGround("sbFade");
  fade->SetFillKind(4);
  fade->SetColor(KyRGB(200, 220, 200));
  fade->SetColor1(KyRGB(120, 200, 120));
  fade->SetColor2(KyRGB(250, 250, 250));
  auto* panel = new TKySinglePanel(&form);
  panel->SetParent(&form);
  panel->SetBounds(0, 0, 320, 220);
  panel->SetBevelOuter(besNone);
  panel->SetBackGround()->SetName("sbFade");
  memo->SetParent(panel);
  writable->SetParent(panel);
  std::string lines;
  for (int i = 1; i <= 12; ++i) lines += "W" + std::to_string(i) + "\r\n";
  writable->Lines()->SetText(lines);
  writable->SetTransparent(true);
  Focus(memo);
  Pump();
  // Rows inside the client area, columns right of the short lines and
  // left of the scroll bar; row 215 is the panel below the memo.
  const int rows[] = {165, 185, 203};
  const int columns[] = {60, 150, 250};
  auto showsGradient = [&](const char* when) {
    TSnapshot shot(&form);
    for (int x : columns)
      for (int y : rows) EXPECT_EQ(shot.Pixel(x, y), shot.Pixel(x, 215)) << when << " at " << x << "," << y;
    EXPECT_LT(GetRValue(shot.Pixel(60, 185)), GetRValue(shot.Pixel(250, 185))) << when;
    // The text itself is there, dark over the light gradient.
    int dark = 0;
    for (int x = 12; x < 40; ++x)
      for (int y = 163; y < 180; ++y) dark += GetRValue(shot.Pixel(x, y)) < 80;
    EXPECT_GT(dark, 5) << when;
  };
  showsGradient("unfocused");
  writable->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
  Pump();
  ASSERT_GT(writable->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  showsGradient("scrolled");

  Focus(writable);
  Pump();
  {
    TSnapshot shot(&form);
    for (int x : columns) EXPECT_EQ(shot.Pixel(x, 203), ColorToRGB(fade->Color())) << x;
  }

  Focus(memo);
  writable->SetShadow(true);
  Pump();
  EXPECT_EQ(writable->FrameWidths(), TRect(2, 2, 2 + kDropShadowSize, 2 + kDropShadowSize));
  TSnapshot shot(&form);
  const int right = 10 + 280 - 1, bottom = 160 + 50 - 1;
  TKyColor shadow = ColorToRGB(LibraryDefaultColor("Dft_ColShadow"));
  EXPECT_EQ(shot.Pixel(right - 1, 185), shadow);
  EXPECT_EQ(shot.Pixel(150, bottom - 1), shadow);
  // The frame moved in by the shadow: its light right edge.
  EXPECT_EQ(shot.Pixel(right - kDropShadowSize, 185), ColorToRGB(LibraryDefaultColor("Dft_3DLight")));
  // Beside the shadow, the gradient of the panel.
  EXPECT_EQ(shot.Pixel(right - 1, 161), shot.Pixel(right - 1, 215));
  EXPECT_EQ(shot.Pixel(11, bottom - 1), shot.Pixel(11, 215));
  // And still through the client area.
  EXPECT_EQ(shot.Pixel(150, 185), shot.Pixel(150, 215));
}

TEST_F(MemoTest, ATextFormWithAMemoAndAProgressBarLoadsAndPaints) {
  const std::string text = R"(object FrInstall: TForm
  ClientWidth = 400
  ClientHeight = 220
  object EdLicense: TKyMemo
    Left = 10
    Top = 30
    Width = 300
    Height = 100
    ValueId.PkgName = 'Idioma'
    ValueId.Id = 0
    CaptionId.PkgName = 'Idioma'
    CaptionId.Id = 3
    ILabel.Visible = True
    ReadOnly = True
    BorderStyle = bosSingle
    ScrollBars = ssNone
    Alignment = taCenter
    RegistryDirectory = 'Software\Ky\Licence'
    MaxLength = 4000
  end
  object PrAll: TKyProgressBar
    Left = 10
    Top = 160
    Width = 337
    Height = 16
    TypeBar = tbaSolid
    WidthBlock = 0
    Orientation = pboRight
    Max = 200
    Position = 300
  end
end
)";
  TForm loaded(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &loaded);
  auto* m = loaded.Find<TKyMemo>("EdLicense");
  auto* p = loaded.Find<TKyProgressBar>("PrAll");
  ASSERT_NE(m, nullptr);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(m->ReadOnly());
  EXPECT_EQ(m->BorderStyle(), bosSingle);
  EXPECT_EQ(m->ScrollBars(), ssNone);
  EXPECT_EQ(m->Alignment(), taCenter);
  EXPECT_EQ(m->RegistryDirectory(), "Software\\Ky\\Licence");
  EXPECT_EQ(m->MaxLength(), 4000);
  EXPECT_EQ(p->TypeBar(), tbaSolid);
  EXPECT_EQ(p->WidthBlock(), 1);
  EXPECT_EQ(p->Max(), 200);
  EXPECT_EQ(p->Position(), 200);
  loaded.SetBorderStyle(bsNone);
  loaded.Show();
  ASSERT_TRUE(PumpUntil([&] { return m->HandleAllocated() && p->HandleAllocated(); }));
  EXPECT_EQ(Joined(m->Lines()), kEnglishLicence);
  EXPECT_EQ(m->InnerLabel()->Value().AsString(), "License:");
  TSnapshot shot(&loaded);
  TRect bar = p->BarRect();
  EXPECT_EQ(shot.Pixel(p->Left() + bar.Right - 2, p->Top() + 8), ColorToRGB(p->SetBGProgress()->Value()));
  // The memo's frame: one line in the box colour.
  EXPECT_EQ(shot.Pixel(m->Left(), m->Top() + 50), ColorToRGB(LibraryDefaultColor("Dft_ColBox")));
  // Written again, nothing of the lines goes into the form.
  std::string written = FormBinaryToText(WriteComponentBytes(&loaded));
  EXPECT_EQ(written.find("Lines"), std::string::npos) << written;
  EXPECT_EQ(written.find("Terms of use"), std::string::npos) << written;
  EXPECT_NE(written.find("ValueId.PkgName = 'Idioma'"), std::string::npos) << written;
}

TEST_F(MemoTest, EveryPublishedPropertyGoesThroughATextForm) {
  TForm root(nullptr);
  root.SetName("FrMemo");
  auto* m = new TKyMemo(&root);
  m->SetName("EdLicense");
  m->SetParent(&root);
  m->SetBounds(8, 16, 300, 120);
  m->SetHint("Licence");
  m->SetTabStop(false);
  m->SetAlignHor(alhRight);
  m->SetAlignVer(alvBottom);
  m->ValueId()->SetPkgName("Idioma");
  m->ValueId()->SetId(0);
  m->SetRegistryDirectory("Software\\Ky");
  m->TextBlock()->SetColText()->SetName("scText");
  m->CaptionId()->SetPkgName("Idioma");
  m->CaptionId()->SetId(3);
  m->SetBackGround()->SetName("sbMemo");
  m->SetBorderStyle(bosNone);
  m->SetShadow(true);
  m->SetScrollBars(ssBoth);
  m->SetWantTabs(true);
  m->SetWantReturns(false);
  m->SetAlignment(taRightJustify);
  m->SetTransparent(true);
  m->Privilege()->SetId(2);
  m->SetReadOnly(true);
  m->SetMaxLength(300);
  m->SetEnabled(false);
  m->SetVisible(false);
  m->SetEditLines(3);
  std::string text = FormBinaryToText(WriteComponentBytes(&root));
  EXPECT_EQ(text.find("Lines."), std::string::npos) << text;
  EXPECT_NE(text.find("EditLines = 3"), std::string::npos) << text;

  TForm copy(nullptr);
  ReadComponentBytes(FormTextToBinary(text), &copy);
  auto* r = copy.Find<TKyMemo>("EdLicense");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Hint(), "Licence");
  EXPECT_FALSE(r->TabStop());
  EXPECT_EQ(r->AlignHor(), alhRight);
  EXPECT_EQ(r->AlignVer(), alvBottom);
  EXPECT_EQ(r->ValueId()->PkgName(), "Idioma");
  EXPECT_EQ(r->ValueId()->Id(), 0);
  EXPECT_EQ(r->RegistryDirectory(), "Software\\Ky");
  EXPECT_EQ(r->TextBlock()->SetColText()->Name(), "scText");
  EXPECT_EQ(r->CaptionId()->Id(), 3);
  EXPECT_EQ(r->SetBackGround()->Name(), "sbMemo");
  EXPECT_EQ(r->BorderStyle(), bosNone);
  EXPECT_TRUE(r->Shadow());
  EXPECT_EQ(r->ScrollBars(), ssBoth);
  EXPECT_TRUE(r->WantTabs());
  EXPECT_FALSE(r->WantReturns());
  EXPECT_EQ(r->Alignment(), taRightJustify);
  EXPECT_TRUE(r->Transparent());
  EXPECT_EQ(r->Privilege()->Id(), 2);
  EXPECT_TRUE(r->ReadOnly());
  EXPECT_EQ(r->MaxLength(), 300);
  EXPECT_FALSE(r->Enabled());
  EXPECT_FALSE(r->Visible());
  EXPECT_EQ(r->EditLines(), 3);
  EXPECT_EQ(r->Width(), 300);
  auto memoPart = [](const std::string& t) {
    size_t from = t.find("  object EdLicense");
    return t.substr(from, t.find("\n  end\n", from) - from);
  };
  EXPECT_EQ(memoPart(FormBinaryToText(WriteComponentBytes(&copy))), memoPart(text));
}

// OnStartEdit waits for a change the user's input really makes: keys that
// change nothing (Backspace at the start, Delete at the end, arrows) do
// not start an edit.
TEST_F(MemoTest, OnlyARealChangeStartsTheEdit) {
  int started = 0;
  writable->OnStartEdit = [&](TObject*) { ++started; };
  Focus(writable);
  for (uint16_t key : {uint16_t(VK_BACK), uint16_t(VK_DELETE), uint16_t(VK_LEFT), uint16_t(VK_HOME)})
    PostKey(writable, key);
  EXPECT_EQ(started, 0);
  EXPECT_TRUE(writable->Text().empty());
  PostChar(writable, 'a');
  ASSERT_TRUE(PumpUntil([&] { return writable->Text() == "a"; }));
  EXPECT_EQ(started, 1);
  PostChar(writable, 'b');
  EXPECT_EQ(started, 1);
}
