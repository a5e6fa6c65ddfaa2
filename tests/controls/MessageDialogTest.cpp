// The message dialog and the help window on real windows: button captions
// from the "System" package and without it, the dialog's layout, results
// by posted clicks, keys and closing, the help text of a missing message,
// the help window scrolling a text taller than the screen, and unhandled
// errors reaching the dialog while another form is modal.
#include "support/WindowDriver.h"

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

#include "ControlsTestSupport.h"
#include "controls/KyVeMessage.h"
#include "controls/KyVeMessageHlp.h"
#include "controls/RegisterControls.h"
#include "platform/graphics/Bitmap.h"
#include "platform/windows/Application.h"
#include "platform/windows/Timers.h"

using namespace ky_test;

namespace {

class MessageDialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    RegisterControlClasses();
  }
  std::unique_ptr<TFrMessage> Make(const TKyButtonKinds& kinds, const std::string& text = "Short",
                                   TKyButtonKind defaultKind = bkiNone, int type = kMsgConfirmation) {
    std::unique_ptr<TFrMessage> dialog(CreateForm<TFrMessage>(nullptr));
    dialog->Prepare(type, text, kinds, defaultKind, 0, "");
    return dialog;
  }
  // Runs the dialog modally; act runs once it is shown, from its own loop.
  TKyButtonKind Run(TFrMessage& dialog, const std::function<void(TFrMessage&)>& act) {
    dialog.OnShow = [&](TObject*) { act(dialog); };
    return dialog.Execute();
  }
};

// The open message dialog, if any.
TFrMessage* OpenDialog() {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (auto* d = dynamic_cast<TFrMessage*>(Screen->Forms(i)); d && d->Visible()) return d;
  return nullptr;
}

struct TKindCase {
  TKyButtonKind kind;
  const char* caption;
  const char* hint;
  const char* fallback;
};
const TKindCase kKinds[] = {
    {bkiNone, "Ninguno", "Ninguno", "None"},
    {bkiOK, "Aceptar", "Aceptar", "Ok"},
    {bkiCancel, "Cancelar", "Cancelar", "Cancel"},
    {bkiHelp, "Ay&uda", "Ayuda", "Help"},
    {bkiYes, "&Si", "Si", "Yes"},
    {bkiNo, "&No", "No", "No"},
    {bkiClose, "&Cerrar", "Cerrar", "Close"},
    {bkiAbort, "A&bortar", "Abortar", "Abort"},
    {bkiRetry, "&Reintentar", "Reintentar", "Retry"},
    {bkiIgnore, "&Ignorar", "Ignorar", "Ignore"},
    {bkiAll, "&Todo", "Todo", "All"},
    {bkiCommit, "&Act.Cambios", "Actualizar cambios", "Commit"},
    {bkiRollBack, "&Can.Cambios", "Cancelar Cambios", "RollBack"},
    {bkiDetail, "Detalle", "Detalle", "Detail"},
};

TEST_F(MessageDialogTest, EveryButtonKindTakesItsSystemCaptionAndHint) {
  TTstLibrary library;
  for (const TKindCase& c : kKinds) {
    SCOPED_TRACE(c.fallback);
    auto dialog = Make({c.kind});
    ASSERT_EQ(dialog->ButtonCount(), 1);
    EXPECT_EQ(dialog->Button(0)->Caption(), c.caption);
    // A hint that only repeats the caption is not shown.
    std::string caption = c.caption;
    std::erase(caption, '&');
    EXPECT_EQ(dialog->Button(0)->Hint(), caption == c.hint ? "" : c.hint);
  }
  // The packages hold their texts in the Windows code page.
  const char* types[] = {"Precauci\xF3n", "Error", "Informaci\xF3n", "Confirmaci\xF3n"};
  for (int type = 0; type < 4; ++type) EXPECT_EQ(Make({bkiOK}, "x", bkiOK, type)->Caption(), types[type]);
}

TEST_F(MessageDialogTest, WithoutTheSystemLabelsTheFallbackCaptionsShow) {
  // A configuration whose language package has no "System" strings, and
  // then none at all: the dialog still works.
  for (bool withConfiguration : {true, false}) {
    SCOPED_TRACE(withConfiguration);
    std::unique_ptr<TKyCApplication> app(withConfiguration ? new TKyCApplication(nullptr) : nullptr);
    for (const TKindCase& c : kKinds) {
      SCOPED_TRACE(c.fallback);
      auto dialog = Make({c.kind});
      EXPECT_EQ(dialog->Button(0)->Caption(), c.fallback);
    }
    auto dialog = Make({bkiOK}, "Fallo", bkiOK, kMsgError);
    EXPECT_EQ(dialog->Caption(), "Error");
    EXPECT_FALSE(dialog->HasIcon());
    EXPECT_EQ(Run(*dialog, [](TFrMessage& d) { PostKey(d.Button(0), VK_RETURN); }), bkiOK);
  }
}

TEST_F(MessageDialogTest, NineButtonsShowEightInARowAsWideAsTheDialog) {
  TTstLibrary library;
  TKyButtonKinds nine = {bkiOK,    bkiCancel, bkiYes,    bkiNo,   bkiClose,
                         bkiAbort, bkiRetry,  bkiIgnore, bkiAll};
  auto dialog = Make(nine, "Short");
  ASSERT_NE(dialog->Timer(), nullptr) << "read from its text form";
  EXPECT_TRUE(dialog->KeyPreview());
  ASSERT_EQ(dialog->ButtonCount(), 8);
  EXPECT_EQ(dialog->ButtonKind(7), bkiIgnore);
  const int row = 8 * 79 - 4;
  EXPECT_EQ(dialog->ClientWidth(), row + 8);
  EXPECT_EQ(dialog->ClientHeight(), 48 + 29 + 8);
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    TKyBitBtn* b = dialog->Button(i);
    EXPECT_EQ(b->Left(), 4 + 79 * i);
    EXPECT_EQ(b->Top(), dialog->ClientHeight() - 29);
    EXPECT_EQ(b->Width(), 75);
    EXPECT_EQ(b->Height(), 25);
    EXPECT_EQ(b->ModalResult(), i + 1);
  }
  EXPECT_EQ(dialog->IconRect(), (TRect{4, 4, 52, dialog->ClientHeight() - 33}));
  EXPECT_EQ(dialog->TextArea(), (TRect{56, 4, dialog->ClientWidth() - 4, dialog->ClientHeight() - 33}));
}

TEST_F(MessageDialogTest, TextWrapsAtHalfTheScreenLessSixty) {
  TTstLibrary library;
  std::string text;
  for (int i = 0; i < 60; ++i) text += "palabra" + std::to_string(i) + " ";
  auto wide = Make({bkiOK}, text);
  int limit = Screen->Width() / 2 - 60;
  int textWidth = wide->ClientWidth() - 8 - 52;
  EXPECT_LE(textWidth, limit);
  EXPECT_GT(textWidth, limit - 80);  // the lines fill the width, give or take a word
  auto single = Make({bkiOK}, "palabra");
  int lineHeight = single->TextArea().Height();
  EXPECT_GT(wide->TextArea().Height(), 3 * single->Canvas()->TextHeight("Xg"));
  EXPECT_GT(wide->ClientHeight(), single->ClientHeight());
  EXPECT_GE(lineHeight, 48);  // a one-line text stands beside the whole icon
  // The text is completed with a full stop, like every message.
  EXPECT_EQ(single->MessageText(), "palabra.");
  EXPECT_EQ(Make({bkiOK}, "\xBFSeguro?")->MessageText(), "\xBFSeguro?");
}

TEST_F(MessageDialogTest, TheTextIsPaintedInItsArea) {
  TTstLibrary library;
  auto dialog = Make({bkiOK}, "Mensaje bastante visible");
  dialog->Show();
  Pump();
  TSnapshot shot(dialog.get());
  const TRect& area = dialog->TextArea();
  TKyColor back = shot.Pixel(area.Right - 2, area.Bottom - 2);
  int inked = 0, inkedOutside = 0;
  for (int y = area.Top; y < area.Bottom; ++y) {
    for (int x = area.Left; x < area.Right; ++x) inked += shot.Pixel(x, y) != back;
    for (int x = area.Left - 4; x < area.Left - 1; ++x) inkedOutside += shot.Pixel(x, y) != back;
  }
  EXPECT_GT(inked, 50);
  EXPECT_EQ(inkedOutside, 0) << "no icon without System images";
  dialog->Hide();
}

// The icons carry a key colour in their bottom-left pixel: it lets the
// dialog's background show, never a coloured square around the mark.
TEST_F(MessageDialogTest, TheIconIsDrawnTransparent) {
  TTstLibrary library;
  const TKyColor key = KyRGB(255, 0, 255), mark = KyRGB(200, 30, 30);
  TBitmap icon(32, 32, pf24bit);
  icon.Canvas()->Brush()->SetColor(key);
  icon.Canvas()->FillRect({0, 0, 32, 32});
  icon.Canvas()->Brush()->SetColor(mark);
  icon.Canvas()->FillRect({8, 8, 24, 24});
  TMemoryStream bytes;
  icon.SaveToStream(bytes);
  library.app.PkgDisplay()->SystemImages().AddImage(2 + kMsgError)->SetPicture("TBitmap", bytes.Data(), 32, 32);
  auto dialog = Make({bkiOK}, "Error", bkiNone, kMsgError);
  ASSERT_TRUE(dialog->HasIcon());
  dialog->Show();
  Pump();
  TSnapshot shot(dialog.get());
  const TRect& r = dialog->IconRect();
  int x = r.Left + (r.Width() - 32) / 2, y = r.Top;
  EXPECT_EQ(shot.Pixel(x + 16, y + 16), mark);
  for (TPoint p : {TPoint{x + 1, y + 1}, TPoint{x + 30, y + 30}, TPoint{x + 4, y + 16}})
    EXPECT_NE(shot.Pixel(p.X, p.Y), key) << p.X << "," << p.Y;
  dialog->Hide();
}

TEST_F(MessageDialogTest, ClicksKeysAndClosingGiveTheButtonsKind) {
  TTstLibrary library;
  struct TResultCase {
    const char* name;
    TKyButtonKinds kinds;
    TKyButtonKind defaultKind;
    std::function<void(TFrMessage&)> act;
    TKyButtonKind want;
  };
  auto click = [](int i) { return [i](TFrMessage& d) { PostClick(d.Button(i), 10, 10); }; };
  // Keys go to the focused control, as typed.
  auto key = [](uint16_t k) {
    return [k](TFrMessage& d) { PostKey(d.ActiveControl() ? d.ActiveControl() : d.Button(0), k); };
  };
  auto close = [](TFrMessage& d) { PostMessageA(d.Handle(), WM_CLOSE, 0, 0); };
  const TResultCase cases[] = {
      {"click Yes", {bkiYes, bkiNo, bkiCancel}, bkiYes, click(0), bkiYes},
      {"click No", {bkiYes, bkiNo, bkiCancel}, bkiYes, click(1), bkiNo},
      {"click Retry", {bkiAbort, bkiRetry, bkiIgnore}, bkiRetry, click(1), bkiRetry},
      {"Enter on the default", {bkiYes, bkiNo, bkiCancel}, bkiNo, key(VK_RETURN), bkiNo},
      {"Escape on Cancel", {bkiCancel, bkiOK}, bkiOK, key(VK_ESCAPE), bkiCancel},
      {"closing Yes/No", {bkiYes, bkiNo}, bkiYes, close, bkiCancel},
      {"closing with Cancel last", {bkiAll, bkiCancel}, bkiAll, close, bkiCancel},
  };
  for (const TResultCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto dialog = Make(c.kinds, "Pregunta", c.defaultKind);
    EXPECT_EQ(Run(*dialog, c.act), c.want);
    EXPECT_FALSE(dialog->Visible());
  }
  // Escape does nothing without a Cancel button: the dialog waits for an answer.
  auto dialog = Make({bkiYes, bkiNo}, "Pregunta", bkiYes);
  EXPECT_EQ(dialog->CloseResult(), mrNone);
  EXPECT_EQ(Run(*dialog,
                [](TFrMessage& d) {
                  PostKey(d.Button(0), VK_ESCAPE);
                  PostClick(d.Button(1), 10, 10);
                }),
            bkiNo);
}

TEST_F(MessageDialogTest, TheTimerBringsTheDialogBackToTheFront) {
  TTstLibrary library;
  auto dialog = Make({bkiOK}, "Aqui", bkiOK);
  // Made while the dialog runs, so that it is not disabled.
  std::unique_ptr<TForm> other;
  bool otherWasActive = false, back = false;
  int ticks = 0;
  TTimer watch(nullptr);
  watch.SetInterval(20);
  watch.OnTimer = [&](TObject*) {
    if (!dialog->Visible() || back) return;
    if (++ticks > 250) {  // never came back: end the dialog so that the test fails
      PostKey(dialog->Button(0), VK_ESCAPE);
      dialog->SetModalResult(mrAbort);
      return;
    }
    if (!other && dialog->Active()) {
      other.reset(new TForm(nullptr));
      other->SetFormClientWidth(120);
      other->SetFormClientHeight(40);
      other->Show();
      other->SetFocus();
    } else if (other && other->Active()) {
      otherWasActive = true;
    } else if (otherWasActive && dialog->Active()) {
      back = true;
      PostKey(dialog->Button(0), VK_RETURN);
    }
  };
  EXPECT_EQ(dialog->Execute(), bkiOK);
  EXPECT_TRUE(otherWasActive);
  EXPECT_TRUE(back);
}

TEST_F(MessageDialogTest, HelpTextOfAMissingMessageSaysSoAndEscapeClosesIt) {
  TTstLibrary library;
  TFrMessageHlp* window = ShowHelpText("Ayudas", 4711);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->MessageText(), "Message Unknown (Ayudas) (4711)");
  EXPECT_TRUE(window->Visible());
  EXPECT_LE(window->ClientWidth(), Screen->Width() * 3 / 4);
  bool destroyed = false;
  window->OnDestroy = [&](TObject*) { destroyed = true; };
  PostMessageA(window->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(PumpUntil([&] { return destroyed; }));
}

// Which rows of the help window's text area hold ink.
std::vector<bool> InkedRows(TFrMessageHlp& window) {
  TSnapshot shot(&window);
  const TRect& area = window.TextArea();
  TKyColor back = shot.Pixel(area.Right - 1, area.Bottom - 1);
  std::vector<bool> rows;
  for (int y = area.Top; y < area.Bottom; ++y) {
    bool inked = false;
    for (int x = area.Left; x < area.Right && !inked; ++x) inked = shot.Pixel(x, y) != back;
    rows.push_back(inked);
  }
  return rows;
}

// The longest run of blank rows.
int LongestGap(const std::vector<bool>& rows) {
  int best = 0, run = 0;
  for (bool inked : rows) {
    run = inked ? 0 : run + 1;
    best = std::max(best, run);
  }
  return best;
}

// A text far taller than the screen: a first line, filler, then twelve
// empty lines before a last line, a gap no other part of the text has.
std::string LongHelpText() {
  std::string text = "Principio de la ayuda.\n";
  for (int i = 0; i < 250; ++i) text += "Linea de relleno numero " + std::to_string(i) + " con algo de texto.\n";
  text += std::string(12, '\n');
  return text + "Final de la ayuda.";
}

// A help window shown for a test; freed at the end unless it closed.
struct TShownHelp {
  explicit TShownHelp(TFrMessageHlp* shown) : window(shown) {
    window->OnDestroy = [this](TObject*) { destroyed = true; };
  }
  ~TShownHelp() {
    if (!destroyed) delete window;
  }
  TFrMessageHlp* window;
  bool destroyed = false;
};

int SystemBarPosition(TFrMessageHlp& window) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_POS | SIF_RANGE | SIF_PAGE;
  if (!GetScrollInfo(window.Handle(), SB_VERT, &si)) return -1;
  return si.nPos;
}

bool SystemBarShows(TFrMessageHlp& window) { return (GetWindowLongA(window.Handle(), GWL_STYLE) & WS_VSCROLL) != 0; }

TEST_F(MessageDialogTest, ALongHelpTextScrollsByKeysWheelAndScrollBar) {
  TTstLibrary library;
  TShownHelp shown(ShowHelpWindow(LongHelpText(), "", -1));
  TFrMessageHlp* window = shown.window;
  const bool& destroyed = shown.destroyed;
  Pump();
  TVertScrollBar& scroll = window->TextScroll();
  // The window stays within the work area and shows the system bar.
  EXPECT_LE(window->Height(), Screen->WorkArea().Height());
  EXPECT_LE(window->ClientWidth(), Screen->Width() * 3 / 4);
  ASSERT_TRUE(scroll.Needed());
  EXPECT_TRUE(SystemBarShows(*window));
  EXPECT_EQ(scroll.Range(), window->TextHeight());
  EXPECT_EQ(scroll.Page(), window->TextArea().Height());
  EXPECT_EQ(window->TextArea().Bottom, window->ClientHeight() - 4);
  const int line = scroll.LineSize(), page = scroll.Page() - line, last = scroll.MaxPosition();
  ASSERT_GT(line, 5);
  ASSERT_GT(last, 2 * page);

  // At the start the first line stands at the top and there is no gap.
  std::vector<bool> home = InkedRows(*window);
  EXPECT_TRUE(std::find(home.begin(), home.begin() + line, true) != home.begin() + line);
  EXPECT_LT(LongestGap(home), 2 * line);

  // End: the last line sits at the bottom below its gap of empty lines.
  PostMessageA(window->Handle(), WM_KEYDOWN, VK_END, 1);
  ASSERT_TRUE(PumpUntil([&] { return scroll.Position() == last; }));
  Pump();
  std::vector<bool> end = InkedRows(*window);
  EXPECT_GE(LongestGap(end), 10 * line);
  EXPECT_TRUE(std::find(end.end() - line, end.end(), true) != end.end());
  EXPECT_EQ(SystemBarPosition(*window), last);

  // Each step posted as the user's input would come; clamped steps leave
  // the position where it is, which the step after them shows.
  UINT wheelLines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &wheelLines, 0);
  const int wheel = static_cast<int>(wheelLines) * line;
  auto key = [&](uint16_t k) { PostMessageA(window->Handle(), WM_KEYDOWN, k, 1); };
  auto bar = [&](int code, int pos = 0) {
    PostMessageA(window->Handle(), WM_VSCROLL, static_cast<WPARAM>(static_cast<uint32_t>(pos) << 16 | code), 0);
  };
  auto wheelBy = [&](int delta) {
    PostMessageA(window->Handle(), WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint16_t>(delta)) << 16, 0);
  };
  struct TStep {
    const char* what;
    std::function<void()> post;
    int expected;
  };
  const TStep steps[] = {
      {"Down at the end stays", [&] { key(VK_DOWN); }, last},
      {"Up", [&] { key(VK_UP); }, last - line},
      {"bar line down to the end", [&] { bar(SB_LINEDOWN); }, last},
      {"bar line down stays", [&] { bar(SB_LINEDOWN); }, last},
      {"wheel at the end stays", [&] { wheelBy(-120); }, last},
      {"wheel up", [&] { wheelBy(120); }, last - wheel},
      {"Home", [&] { key(VK_HOME); }, 0},
      {"PageUp at the start stays", [&] { key(VK_PRIOR); }, 0},
      {"bar line up stays", [&] { bar(SB_LINEUP); }, 0},
      {"wheel up at the start stays", [&] { wheelBy(120); }, 0},
      {"Down", [&] { key(VK_DOWN); }, line},
      {"PageDown", [&] { key(VK_NEXT); }, line + page},
      {"PageUp", [&] { key(VK_PRIOR); }, line},
      {"wheel down", [&] { wheelBy(-120); }, line + wheel},
      {"half a notch waits", [&] { wheelBy(-60); }, line + wheel},
      {"the other half moves", [&] { wheelBy(-60); }, line + 2 * wheel},
      {"bar page down", [&] { bar(SB_PAGEDOWN); }, line + 2 * wheel + page},
      {"bar page up", [&] { bar(SB_PAGEUP); }, line + 2 * wheel},
      {"thumb", [&] { bar(SB_THUMBPOSITION, 50); }, 50},
      {"thumb tracked", [&] { bar(SB_THUMBTRACK, 70); }, 70},
      {"thumb past the end", [&] { bar(SB_THUMBPOSITION, 60000); }, last},
      {"bar top", [&] { bar(SB_TOP); }, 0},
      {"bar bottom", [&] { bar(SB_BOTTOM); }, last},
      {"Home again", [&] { key(VK_HOME); }, 0},
  };
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.what);
    step.post();
    EXPECT_TRUE(PumpUntil([&] { return scroll.Position() == step.expected; })) << scroll.Position();
    EXPECT_EQ(SystemBarPosition(*window), scroll.Position());
  }

  // Back at the start the window paints as it did first.
  Pump();
  EXPECT_EQ(InkedRows(*window), home);
  // Escape still closes it.
  PostMessageA(window->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(PumpUntil([&] { return destroyed; }));
}

TEST_F(MessageDialogTest, AShortHelpTextHasNoScrollBarAndDoesNotScroll) {
  TTstLibrary library;
  TShownHelp shown(ShowHelpWindow("Una ayuda corta.", "", -1));
  TFrMessageHlp* window = shown.window;
  const bool& destroyed = shown.destroyed;
  Pump();
  TVertScrollBar& scroll = window->TextScroll();
  EXPECT_FALSE(scroll.Needed());
  EXPECT_FALSE(SystemBarShows(*window));
  EXPECT_EQ(window->ClientHeight(), 87);
  std::vector<bool> before = InkedRows(*window);
  EXPECT_TRUE(std::find(before.begin(), before.end(), true) != before.end());
  PostMessageA(window->Handle(), WM_KEYDOWN, VK_END, 1);
  PostMessageA(window->Handle(), WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint16_t>(-120)) << 16, 0);
  PostMessageA(window->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  // Escape after them: once it closed the window, the others were handled.
  std::vector<bool> after;
  int position = -1;
  window->OnClose = [&](TObject*, TCloseAction&) {
    after = InkedRows(*window);
    position = scroll.Position();
  };
  PostMessageA(window->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  ASSERT_TRUE(PumpUntil([&] { return destroyed; }));
  EXPECT_EQ(after, before);
  EXPECT_EQ(position, 0);
}

TEST_F(MessageDialogTest, TheHelpButtonShowsTheHelpAndLeavesTheDialogOpen) {
  TTstLibrary library;
  std::unique_ptr<TFrMessage> dialog(CreateForm<TFrMessage>(nullptr));
  dialog->Prepare(kMsgWarning, "Cuidado", {bkiOK, bkiHelp}, bkiOK, 12, "Ayudas");
  EXPECT_EQ(dialog->Button(1)->ModalResult(), mrNone);
  std::string help;
  bool timerStopped = false;
  TTimer watch(nullptr);
  watch.SetInterval(30);
  watch.OnTimer = [&](TObject*) {
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (auto* h = dynamic_cast<TFrMessageHlp*>(Screen->Forms(i)); h && h->Visible() && help.empty()) {
        help = h->MessageText();
        timerStopped = !dialog->Timer()->Enabled();
        h->Close();
        PostClick(dialog->Button(0), 10, 10);
      }
  };
  dialog->OnShow = [&](TObject*) { PostClick(dialog->Button(1), 10, 10); };
  EXPECT_EQ(dialog->Execute(), bkiOK);
  EXPECT_EQ(help, "Message Unknown (Ayudas) (12)");
  EXPECT_TRUE(timerStopped);
}

TEST_F(MessageDialogTest, AnErrorRaisedInAModalFormShowsInTheDialog) {
  TTstLibrary library;
  library.app.SetHandleExceptions(false);
  library.app.SetHandleExceptions(true);
  ASSERT_TRUE(library.app.ExceptionHandlerInstalled());

  TForm outer(nullptr);
  outer.SetFormClientWidth(200);
  outer.SetFormClientHeight(60);
  auto* fail = new TKyBitBtn(&outer);
  fail->SetParent(&outer);
  fail->SetBounds(10, 10, 90, 30);
  fail->OnClick = [](TObject*) { throw Exception("El campo est\xE1 vac\xEDo"); };

  // Watches from inside the modal loops: answers the dialog, then ends the
  // outer form.
  std::string shownText, shownCaption;
  int shownButtons = 0;
  bool outerWasDisabled = false;
  TTimer watch(nullptr);
  watch.SetInterval(30);
  watch.OnTimer = [&](TObject*) {
    if (TFrMessage* d = OpenDialog()) {
      if (!shownText.empty()) return;
      shownText = d->MessageText();
      shownCaption = d->Caption();
      shownButtons = d->ButtonCount();
      outerWasDisabled = !outer.Enabled() || !IsWindowEnabled(outer.Handle());
      PostKey(d->Button(0), VK_RETURN);
    } else if (!shownText.empty()) {
      outer.SetModalResult(mrOk);
    }
  };
  outer.OnShow = [&](TObject*) { PostClick(fail, 10, 10); };
  EXPECT_EQ(outer.ShowModal(), mrOk);
  EXPECT_EQ(shownText, "El campo est\xE1 vac\xEDo.");
  EXPECT_EQ(shownCaption, "Error");
  EXPECT_EQ(shownButtons, 1);
  EXPECT_TRUE(outerWasDisabled);
  library.app.SetHandleExceptions(false);
}

TEST_F(MessageDialogTest, TheWizardsOwnErrorsShowInTheDialog) {
  TTstLibrary library;
  std::string shown;
  TTimer watch(nullptr);
  watch.SetInterval(30);
  watch.OnTimer = [&](TObject*) {
    if (TFrMessage* d = OpenDialog(); d && shown.empty()) {
      shown = d->MessageText() + "|" + d->Button(0)->Caption();
      PostMessageA(d->Handle(), WM_CLOSE, 0, 0);
    }
  };
  ShowExceptionMessage("No hay espacio");
  EXPECT_EQ(shown, "No hay espacio.|Aceptar");
  EXPECT_EQ(OpenDialog(), nullptr);
}

}  // namespace

// A help reference beginning with "&": the Help button opens the
// application's help file at the dialog's help context (a program without
// one names its file after the "&"); the dialog stays open.
TEST_F(MessageDialogTest, AnAmpersandReferenceOpensTheApplicationsHelpAtTheContext) {
  TTstLibrary library;
  struct Case {
    const char* appFile;
    const char* reference;
    const char* used;
  };
  const Case cases[] = {{"KySetup.hlp", "&", "KySetup.hlp"},
                        {"KySetup.hlp", "&Other.hlp", "KySetup.hlp"},
                        {"", "&Own.hlp", "Own.hlp"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reference);
    App().SetHelpFile(c.appFile);
    std::vector<std::tuple<uint32_t, intptr_t, std::string>> asked;
    App().OnHelp = [&](uint32_t command, intptr_t data, bool& handled) {
      asked.emplace_back(command, data, App().HelpFile());
      handled = true;
    };
    std::unique_ptr<TFrMessage> dialog(CreateForm<TFrMessage>(nullptr));
    dialog->Prepare(kMsgWarning, "Cuidado", {bkiOK, bkiHelp}, bkiOK, 77, c.reference);
    TTimer watch(nullptr);
    watch.SetInterval(30);
    bool pressedOk = false;
    watch.OnTimer = [&](TObject*) {
      if (!asked.empty() && !pressedOk) {
        pressedOk = true;
        PostClick(dialog->Button(0), 10, 10);
      }
    };
    dialog->OnShow = [&](TObject*) { PostClick(dialog->Button(1), 10, 10); };
    EXPECT_EQ(dialog->Execute(), bkiOK);
    App().OnHelp = nullptr;
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(std::get<0>(asked[0]), static_cast<uint32_t>(HELP_CONTEXT));
    EXPECT_EQ(std::get<1>(asked[0]), 77);
    EXPECT_EQ(std::get<2>(asked[0]), c.used);
    EXPECT_EQ(App().HelpFile(), c.appFile) << "the application's own setting stays";
  }
  App().SetHelpFile("");
}

// The help picture's place runs from (4, 4) down to 4 pixels above the
// bottom: a tall picture is scaled down to exactly that height, a small one
// sits in the middle of it.
TEST_F(MessageDialogTest, TheHelpPictureTakesTheWindowsHeight) {
  TTstLibrary library;
  const TKyColor red = KyRGB(220, 0, 0);
  struct Case {
    int w, h;
    bool tall;
  };
  for (Case c : {Case{20, 400, true}, Case{16, 16, false}}) {
    SCOPED_TRACE(c.h);
    TBitmap pic(c.w, c.h, pf24bit);
    pic.Canvas()->Brush()->SetColor(red);
    pic.Canvas()->FillRect({0, 0, c.w, c.h});
    TMemoryStream bytes;
    pic.SaveToStream(bytes);
    library.app.PkgDisplay()->SystemImages().AddImage(60)->SetPicture("TBitmap", bytes.Data(), c.w, c.h);
    TShownHelp shown(ShowHelpWindow("Una ayuda corta.", "System", 60));
    Pump();
    TSnapshot shot(shown.window);
    const int bottom = shown.window->ClientHeight() - 4, middle = shown.window->ClientHeight() / 2;
    if (c.tall) {
      EXPECT_EQ(shot.Pixel(5, 4), red);
      EXPECT_EQ(shot.Pixel(5, bottom - 1), red);
      EXPECT_NE(shot.Pixel(5, bottom), red);
      EXPECT_NE(shot.Pixel(5, 3), red);
    } else {
      EXPECT_EQ(shot.Pixel(4 + 8, middle), red);
      EXPECT_NE(shot.Pixel(4 + 8, 5), red) << "not at the top";
      EXPECT_NE(shot.Pixel(4 + 8, bottom - 1), red);
    }
    shown.window->Close();
    Pump();
  }
}
