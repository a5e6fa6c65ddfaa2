// The platform's standard windows as controls: edit, memo, list box, combo
// box, the folder and drive lists, and the file-open dialog.
#include <memory>

#include "platform/windows/Dialogs.h"
#include "platform/windows/FileCtrl.h"
#include "platform/windows/StdCtrls.h"
#include "platform/base/SysUtils.h"
#include "support/TempDir.h"
#include "windows/WindowsTest.h"

using namespace ky_test;

namespace {

class StdCtrlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    App();
    form.reset(CreateForm<TForm>(nullptr));
    form->SetBounds(40, 40, 400, 300);
  }
  void TearDown() override {
    form.reset();
    Pump();
  }
  template <class T>
  T* Make(int left, int top) {
    auto* c = new T(form.get());
    c->SetParent(form.get());
    c->SetLeft(left);
    c->SetTop(top);
    return c;
  }
  std::unique_ptr<TForm> form;
};

TEST_F(StdCtrlsTest, TypingIntoAnEditChangesItsTextAndTellsOnChange) {
  auto* edit = Make<TEdit>(10, 10);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->SetMaxLength(5);
  form->Show();
  form->FocusControl(edit);
  for (char ch : std::string("Hello world")) PostChar(edit, ch);
  // The window keeps no more than MaxLength.
  EXPECT_EQ(edit->Text(), "Hello");
  EXPECT_EQ(changes, 5);
  EXPECT_TRUE(edit->Modified());
  edit->SetSelStart(1);
  edit->SetSelLength(3);
  EXPECT_EQ(edit->SelText(), "ell");
  edit->SetSelText("ipp");
  EXPECT_EQ(edit->Text(), "Hippo");
  edit->SetTextValue("set in code");
  EXPECT_EQ(changes, 7);
}

TEST_F(StdCtrlsTest, AnEditKeepsWhatWasSetBeforeItsWindowExisted) {
  auto* edit = Make<TEdit>(10, 10);
  edit->SetTextValue("typed earlier");
  edit->SetReadOnly(true);
  edit->SetPasswordChar('*');
  form->HandleNeeded();
  char buf[64];
  GetWindowTextA(edit->Handle(), buf, sizeof buf);
  EXPECT_STREQ(buf, "typed earlier");
  EXPECT_TRUE(GetWindowLongA(edit->Handle(), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
}

TEST_F(StdCtrlsTest, MemoLinesAndTextAreOneValue) {
  auto* memo = Make<TMemo>(10, 10);
  memo->Lines()->Add("first");
  memo->Lines()->Add("second");
  EXPECT_EQ(memo->Text(), "first\r\nsecond");
  form->HandleNeeded();
  EXPECT_EQ(SendMessageA(memo->Handle(), EM_GETLINECOUNT, 0, 0), 2);
  memo->SetTextValue("a\r\nb\r\nc");
  ASSERT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ(memo->Lines()->Strings(2), "c");
  // Enter is the memo's; without WantReturns it belongs to the form.
  EXPECT_TRUE(memo->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS);
  memo->SetWantReturns(false);
  EXPECT_FALSE(memo->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS);
}

TEST_F(StdCtrlsTest, ClickingAListBoxLineSelectsIt) {
  auto* list = Make<TListBox>(10, 10);
  for (const char* s : {"one", "two", "three"}) list->Items()->Add(s);
  list->SetItemIndex(0);
  int clicks = 0;
  list->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  EXPECT_EQ(list->ItemIndex(), 0);
  TRect r = list->ItemRect(2);
  ASSERT_FALSE(r.IsEmpty());
  PostMessageA(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam(r.Left + 3, r.Top + 2));
  PostMessageA(list->Handle(), WM_LBUTTONUP, 0, PointToLParam(r.Left + 3, r.Top + 2));
  bool clicked = PumpUntil([&] { return clicks >= 1; });
  EXPECT_EQ(list->ItemIndex(), 2);
  ASSERT_TRUE(clicked);
  Pump();
  EXPECT_EQ(clicks, 1);
  // Changing the items keeps the window in step.
  list->Items()->Delete(0);
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 2);
  list->SetItemIndex(7);
  EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(StdCtrlsTest, ComboBoxSelectionTellsOnChange) {
  auto* combo = Make<TComboBox>(10, 10);
  combo->SetStyle(csDropDownList);
  for (const char* s : {"red", "green"}) combo->Items()->Add(s);
  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  form->Show();
  form->FocusControl(combo);
  PostKey(combo, VK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return changes == 1; }));
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(combo->Text(), "red");
}

TEST_F(StdCtrlsTest, TheDirectoryListShowsThePathAndTheSubfolders) {
  TempDir tmp;
  std::string root = tmp.Path() + "\\Tessaro";
  CreateDirectoryA(root.c_str(), nullptr);
  for (const char* sub : {"Lib", "bin", "Help"}) CreateDirectoryA((root + "\\" + sub).c_str(), nullptr);
  auto* dirs = Make<TDirectoryListBox>(10, 10);
  int changes = 0;
  dirs->OnChange = [&](TObject*) { ++changes; };
  dirs->SetDirectory(root + "\\");
  EXPECT_EQ(changes, 1);
  // c:\ ... Tessaro, then its folders sorted without regard to case.
  int n = dirs->Items()->Count();
  ASSERT_GE(n, 4);
  EXPECT_EQ(dirs->Items()->Strings(n - 4), "Tessaro");
  EXPECT_EQ(dirs->Items()->Strings(n - 3), "bin");
  EXPECT_EQ(dirs->Items()->Strings(n - 2), "Help");
  EXPECT_EQ(dirs->Items()->Strings(n - 1), "Lib");
  EXPECT_EQ(dirs->ItemLevel(n - 1), dirs->ItemLevel(n - 4) + 1);
  EXPECT_EQ(dirs->ItemIndex(), n - 4);
  EXPECT_EQ(dirs->GetItemPath(0).size(), 3u);
  // A folder that is not there opens its nearest existing parent.
  dirs->SetDirectory(root + "\\Lib\\missing\\deeper");
  EXPECT_EQ(LowerCase(dirs->Directory()), LowerCase(root + "\\Lib"));
  // Opening a line by double click.
  form->Show();
  dirs->SetDirectory(root);
  n = dirs->Items()->Count();
  TRect r = dirs->ItemRect(n - 1);
  LPARAM at = PointToLParam(r.Left + 20, r.Top + 2);
  PostMessageA(dirs->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(dirs->Handle(), WM_LBUTTONUP, 0, at);
  PostMessageA(dirs->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(dirs->Handle(), WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(PumpUntil([&] { return LowerCase(dirs->Directory()) == LowerCase(root + "\\Lib"); }));
}

TEST_F(StdCtrlsTest, TheDriveListMovesTheDirectoryList) {
  auto* dirs = Make<TDirectoryListBox>(10, 10);
  auto* drives = Make<TDriveComboBox>(10, 120);
  drives->SetDirList(dirs);
  ASSERT_GT(drives->Items()->Count(), 0);
  bool hasC = false;
  for (int i = 0; i < drives->Items()->Count(); ++i) hasC |= drives->Items()->Strings(i).rfind("c:", 0) == 0;
  EXPECT_TRUE(hasC);
  drives->SetDrive('C');
  EXPECT_EQ(drives->Drive(), 'c');
  EXPECT_EQ(dirs->Drive(), 'c');
  EXPECT_THROW(drives->SetDrive('q'), Exception);
  // The list moved to a folder of another drive: the box shows that drive.
  dirs->SetDirectory("z:\\");
  EXPECT_EQ(drives->Drive(), 'z');
  EXPECT_EQ(drives->Items()->Strings(drives->ItemIndex()).rfind("z:", 0), 0u);
  dirs->SetDirectory("c:\\windows");
  EXPECT_EQ(drives->Drive(), 'c');
  EXPECT_EQ(drives->Items()->Strings(drives->ItemIndex()).rfind("c:", 0), 0u);
  EXPECT_EQ(LowerCase(dirs->Directory()), "c:\\windows");
  delete dirs;  // the combo box forgets it
  EXPECT_EQ(drives->DirList(), nullptr);
  // And a list whose box went first moves on alone.
  auto* other = Make<TDirectoryListBox>(10, 10);
  drives->SetDirList(other);
  delete drives;
  other->SetDirectory("z:\\");
  EXPECT_EQ(other->Drive(), 'z');
}

TEST(OpenDialog, FilterBecomesThePlatformsPairs) {
  EXPECT_EQ(TOpenDialog::PlatformFilter("Setup Files (*.stp)|*.stp|All Files (*.*)|*.*"),
            std::string("Setup Files (*.stp)\0*.stp\0All Files (*.*)\0*.*\0\0", 47));
  EXPECT_EQ(TOpenDialog::PlatformFilter(""), "");
}

// The dialog runs its own modal loop: a hook on this thread answers it
// when it is activated, as a user would, by typing a name and pressing Open.
HHOOK gHook = nullptr;
std::string gAnswer;

LRESULT CALLBACK AnswerDialog(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND dlg = reinterpret_cast<HWND>(wParam);
    char cls[32] = {0};
    GetClassNameA(dlg, cls, sizeof cls);
    if (std::string(cls) == "#32770") {
      // The file name box of the explorer-style dialog.
      HWND name = GetDlgItem(dlg, 0x47C);  // cmb13
      if (!name) name = GetDlgItem(dlg, 0x480);  // edt1
      if (name) {
        SetWindowTextA(name, gAnswer.c_str());
        PostMessageA(dlg, WM_COMMAND, gAnswer.empty() ? IDCANCEL : IDOK, 0);
      }
    }
  }
  return CallNextHookEx(gHook, code, wParam, lParam);
}

TEST(OpenDialog, ReturnsTheChosenFileOrFalseOnCancel) {
  App();
  TempDir tmp;
  std::string file = tmp.Path() + "\\KyControls.stp";
  FILE* f = std::fopen(file.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  TOpenDialog dialog(nullptr);
  dialog.SetFilter("Setup Files (*.stp)|*.stp|All Files (*.*)|*.*");
  dialog.SetInitialDir(tmp.Path());
  dialog.SetOptions({ofHideReadOnly, ofFileMustExist});
  gHook = SetWindowsHookExA(WH_CBT, &AnswerDialog, nullptr, GetCurrentThreadId());
  ASSERT_NE(gHook, nullptr);
  gAnswer = file;
  bool chosen = dialog.Execute();
  gAnswer.clear();
  bool cancelled = !dialog.Execute();
  UnhookWindowsHookEx(gHook);
  EXPECT_TRUE(chosen);
  EXPECT_EQ(LowerCase(dialog.FileName()), LowerCase(file));
  ASSERT_EQ(dialog.Files()->Count(), 1);
  EXPECT_TRUE(cancelled);
  // Cancelling keeps the last choice.
  EXPECT_EQ(LowerCase(dialog.FileName()), LowerCase(file));
}

}  // namespace
