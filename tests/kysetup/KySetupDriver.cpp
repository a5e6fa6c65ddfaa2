// Drives KySetup.exe from outside as a user would: posted key and mouse
// messages to the windows under the pointer or with the focus, the open
// dialog answered through its own controls. Every wait polls a condition
// against a deadline.
//
//   kysetup_driver firstrun KYSETUP.EXE
//       a fresh machine: F1 opens the about box, Escape on page 0 does
//       nothing, then language, licence accepted with Space, group,
//       folder, installation, final page, products page, Close
//   kysetup_driver second KYSETUP.EXE
//       the installer installed: a second copy ends before any window;
//       its Close button ends the first
//   kysetup_driver opened "COMMAND LINE" FILE1KEY KYSETUP.EXE FILE2.stp FILE2KEY
//       a wizard started with the file type's open command for a setup
//       file is on page 8 for it: Enter, accept, Enter installs it; on page 9 a
//       second copy with FILE2 hands it over and ends without a window;
//       the wizard is on page 8 for FILE2: installing it writes its record
//   kysetup_driver erase "COMMAND LINE" RECORDKEY
//       the product's uninstall command opens the wizard on its erase
//       page: Enter erases it, then the wizard is closed
//   kysetup_driver usage KYSETUP.EXE
//       a wrong command line: a message box (saying how to call it) and
//       no wizard; Enter closes it and the program ends with 2
//   kysetup_driver product KYSETUP.EXE FILE.stp RECORDKEY
//       the installer installed: a second copy ends before any window;
//       Add through the open dialog, install, then erase it from page 9
//
// Exit status 0 when every step held, 1 with the failing step on stderr.
#include "platform/os/WinApi.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "FAIL: %s\n", what.c_str());
  std::fflush(stderr);
  std::exit(1);
}

void Step(const std::string& what) {
  std::printf("step: %s\n", what.c_str());
  std::fflush(stdout);
}

double Milliseconds() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Polls cond until it holds or the deadline passes.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 20000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void Require(const std::function<bool()>& cond, const std::string& what, int timeoutMs = 20000) {
  if (!WaitFor(cond, timeoutMs)) Fail(what);
}

struct TProcess {
  PROCESS_INFORMATION Info{};
  bool Running() const { return WaitForSingleObject(Info.hProcess, 0) == WAIT_TIMEOUT; }
  DWORD ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(Info.hProcess, &code);
    return code;
  }
};

TProcess StartLine(std::string cmd) {
  TProcess p;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  const std::string exe = cmd;
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &p.Info))
    Fail("cannot start " + exe);
  return p;
}

TProcess Start(const std::string& exe, const std::string& args = "") {
  return StartLine("\"" + exe + "\"" + (args.empty() ? "" : " " + args));
}

std::string ClassOf(HWND w) {
  char name[128] = {};
  GetClassNameA(w, name, sizeof name);
  return name;
}

std::string TextOf(HWND w) {
  char text[512] = {};
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

// The visible top-level windows of a process, optionally of one class.
std::vector<HWND> TopWindows(DWORD pid, const std::string& cls = "") {
  struct TCtx {
    DWORD Pid;
    std::string Cls;
    std::vector<HWND> Found;
  } ctx{pid, cls, {}};
  EnumWindows(
      [](HWND w, LPARAM l) -> BOOL {
        auto* c = reinterpret_cast<TCtx*>(l);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == c->Pid && IsWindowVisible(w) && (c->Cls.empty() || ClassOf(w) == c->Cls)) c->Found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.Found;
}

HWND TopWindowTitled(DWORD pid, const std::string& prefix) {
  for (HWND w : TopWindows(pid))
    if (TextOf(w).rfind(prefix, 0) == 0) return w;
  return nullptr;
}

HWND FocusOf(const TProcess& p) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(p.Info.dwThreadId, &info)) return nullptr;
  return info.hwndFocus;
}

LPARAM KeyData(UINT vk, bool up) {
  UINT scan = MapVirtualKeyA(vk, 0);
  LPARAM l = 1 | (static_cast<LPARAM>(scan) << 16);
  if (up) l |= (1 << 30) | (1u << 31);
  return l;
}

// A key as the message loop sees a typed one: down, its character, up.
void PostKeyTo(HWND w, UINT vk, char ch = 0) {
  PostMessageA(w, WM_KEYDOWN, vk, KeyData(vk, false));
  if (ch) PostMessageA(w, WM_CHAR, static_cast<unsigned char>(ch), KeyData(vk, false));
  PostMessageA(w, WM_KEYUP, vk, KeyData(vk, true));
}

// To the window with the keyboard focus in the program, else its main window.
void PressKey(const TProcess& p, HWND main, UINT vk, char ch = 0) {
  HWND target = FocusOf(p);
  PostKeyTo(target ? target : main, vk, ch);
}

// A left click at a point of the main window's client area, delivered to
// the window under it as the system would.
void ClickAt(HWND main, int x, int y) {
  POINT pt{x, y};
  ClientToScreen(main, &pt);
  HWND target = WindowFromPoint(pt);
  if (!target) Fail("no window under the point " + std::to_string(x) + "," + std::to_string(y));
  POINT local = pt;
  ScreenToClient(target, &local);
  LPARAM at = MAKELPARAM(local.x, local.y);
  PostMessageA(target, WM_MOUSEMOVE, 0, at);
  PostMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(target, WM_LBUTTONUP, 0, at);
}

HWND WindowAt(HWND main, POINT client) {
  ClientToScreen(main, &client);
  return WindowFromPoint(client);
}

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Where the wizard's controls sit in its client area (the form's layout).
constexpr POINT kBtAdd{180 + 55, 308 + 14};
constexpr POINT kBtNext{424 + 55, 308 + 14};
constexpr POINT kPages{180, 124};
constexpr POINT kEdAccept{kPages.x + 12 + 10, kPages.y + 144 + 10};
constexpr POINT kProductsFirstRow{kPages.x + 3 + 60, kPages.y + 28 + 10};

HWND WaitMain(const TProcess& p) {
  HWND main = nullptr;
  Require([&] { return (main = TopWindowTitled(p.Info.dwProcessId, "Install Manager")) != nullptr; },
          "the wizard's window appears");
  return main;
}

// Waits for the focus to reach a window that satisfies what.
HWND WaitFocus(const TProcess& p, const std::function<bool(HWND)>& what, const std::string& step) {
  HWND focus = nullptr;
  Require([&] { return (focus = FocusOf(p)) != nullptr && what(focus); }, step);
  return focus;
}

bool IsEdit(HWND w) { return _stricmp(ClassOf(w).c_str(), "Edit") == 0; }

void FirstRun(const std::string& exe) {
  if (KeyExists("SoftWare\\Tessaro\\KySetup")) Fail("the prefix is not fresh");
  TProcess p = Start(exe);
  HWND main = WaitMain(p);
  DWORD pid = p.Info.dwProcessId;
  HWND language = WaitFocus(p, [](HWND) { return true; }, "page 0 has the focus on the language choice");

  Step("F1 opens the about box, Escape closes it");
  PressKey(p, main, VK_F1);
  HWND about = nullptr;
  Require([&] { return (about = TopWindowTitled(pid, "About")) != nullptr; }, "F1 shows the about box");
  PostKeyTo(FocusOf(p) ? FocusOf(p) : about, VK_ESCAPE);
  Require([&] { return !IsWindowVisible(about); }, "Escape closes the about box");

  Step("Escape on page 0 does nothing");
  PressKey(p, main, VK_ESCAPE);
  // An F1 after it is handled after the Escape: the box shows, so the
  // Escape before it was taken and did nothing visible.
  PressKey(p, main, VK_F1);
  Require([&] { return (about = TopWindowTitled(pid, "About")) != nullptr; }, "the wizard still answers");
  PostKeyTo(FocusOf(p) ? FocusOf(p) : about, VK_ESCAPE);
  Require([&] { return !IsWindowVisible(about); }, "the about box closes again");
  // The focus comes back to the page when the box has gone: wait for it.
  // Without a window manager the wizard may be left inactive (no focus in
  // the program at all); a user clicks it, and the page's control must
  // have the focus again.
  if (!WaitFor([&] { return FocusOf(p) == language; }, 5000) && !FocusOf(p)) {
    SetForegroundWindow(main);
    WaitFor([&] { return FocusOf(p) == language; }, 5000);
  }
  if (FocusOf(p) != language) Fail("Escape on page 0 moved the focus");
  if (!p.Running()) Fail("Escape on page 0 closed the wizard");

  Step("page 0 -> 3: Enter");
  PressKey(p, main, VK_RETURN);
  HWND accept = WaitFocus(p, [&](HWND w) { return w != language && !IsEdit(w); }, "page 3 focuses the acceptance");
  Step("Enter before accepting does nothing; Space accepts");
  PressKey(p, main, VK_RETURN);
  PressKey(p, main, VK_SPACE, ' ');
  PressKey(p, main, VK_RETURN);
  HWND group = WaitFocus(p, [](HWND w) { return IsEdit(w); }, "page 4 focuses the group");
  if (TextOf(group) != "Tessaro") Fail("the group reads '" + TextOf(group) + "'");
  (void)accept;

  Step("page 4 -> 5: Enter");
  PressKey(p, main, VK_RETURN);
  HWND folder = WaitFocus(p, [&](HWND w) { return IsEdit(w) && w != group; }, "page 5 focuses the folder");
  std::string path = TextOf(folder);
  if (path.size() < 8 || path.substr(path.size() - 8) != "\\Tessaro") Fail("the folder reads '" + path + "'");

  Step("page 5: Enter installs");
  PressKey(p, main, VK_RETURN);
  Require([] { return KeyExists("SoftWare\\Tessaro\\KySetup"); }, "the installer's record is written", 60000);
  Step("page 7 -> 9 -> Close: Enter, Enter");
  PressKey(p, main, VK_RETURN);
  PressKey(p, main, VK_RETURN);
  Require([&] { return !p.Running(); }, "Close on the products page ends the wizard", 30000);
  if (p.ExitCode() != 0) Fail("the wizard ended with " + std::to_string(p.ExitCode()));
}

// Answers the open dialog with a file name.
void AnswerOpenDialog(DWORD pid, const std::string& file) {
  HWND dialog = nullptr;
  Require([&] {
    auto found = TopWindows(pid, "#32770");
    dialog = found.empty() ? nullptr : found.front();
    return dialog != nullptr;
  }, "Add opens the open dialog");
  HWND edit = nullptr;
  Require([&] {
    // The file name box: an edit inside the name combo (inside its inner
    // combo for the extended kind), or the old dialog's plain edit.
    HWND combo = GetDlgItem(dialog, 0x47C);
    edit = combo ? FindWindowExA(combo, nullptr, "Edit", nullptr) : nullptr;
    if (!edit && combo)
      if (HWND inner = FindWindowExA(combo, nullptr, "ComboBox", nullptr))
        edit = FindWindowExA(inner, nullptr, "Edit", nullptr);
    if (!edit) edit = GetDlgItem(dialog, 0x480);
    if (!edit) edit = FindWindowExA(dialog, nullptr, "Edit", nullptr);
    return edit != nullptr;
  }, "the open dialog has a file name box");
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  Require([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, "the open dialog closes");
}

// Add through the open dialog, then install (pages 8, 3, 7); returns the
// time from the Enter that starts the installation to its record.
double InstallThroughAdd(const TProcess& p, HWND main, const std::string& stp, const std::string& productKey) {
  Step("Add through the open dialog");
  ClickAt(main, kBtAdd.x, kBtAdd.y);
  AnswerOpenDialog(p.Info.dwProcessId, stp);
  Step("page 8 -> 3: Enter; accept; Enter installs");
  // The wizard has the keyboard again once the dialog is gone.
  HWND onPage8 = WaitFocus(p, [&](HWND w) { return w == main || IsChild(main, w); }, "the wizard has the focus back");
  PressKey(p, main, VK_RETURN);
  // After the open dialog the form itself may hold the focus until page 3
  // gives it to the acceptance box.
  HWND accept = WaitFocus(p, [&](HWND w) { return w != onPage8 && w != main && !IsEdit(w); },
                          "page 3 focuses the acceptance");
  PostKeyTo(accept, VK_SPACE, ' ');
  double start = Milliseconds();
  PressKey(p, main, VK_RETURN);
  Require([&] { return KeyExists("SoftWare\\Tessaro\\" + productKey); }, "the product's record is written", 600000);
  double took = Milliseconds() - start;
  Step("page 7 -> 9: Enter");
  HWND finalPage = WindowAt(main, kProductsFirstRow);
  PressKey(p, main, VK_RETURN);
  Require([&] { return WindowAt(main, kProductsFirstRow) != finalPage; }, "the products list shows");
  return took;
}

// Chooses the product below the installer in the list and erases it; returns
// the time from the Enter that starts the erasure to its end.
double EraseFirstProduct(const TProcess& p, HWND main, const std::string& productKey) {
  Step("choose the product in the list and erase it");
  // The first row is the installer; End moves to the product.
  // The window under the point may be caught mid-switch between pages: a
  // click that missed is repeated, slower than a double click.
  HWND list = nullptr;
  Require([&] {
    list = WindowAt(main, kProductsFirstRow);
    ClickAt(main, kProductsFirstRow.x, kProductsFirstRow.y);
    return WaitFor([&] { return FocusOf(p) == list; }, 1000);
  }, "the products list takes the focus");
  PostKeyTo(list, VK_END);
  PressKey(p, main, VK_ESCAPE);  // Erase
  double start = Milliseconds();
  PressKey(p, main, VK_RETURN);  // page 8 of erasing: Next erases
  Require([&] { return !KeyExists("SoftWare\\Tessaro\\" + productKey); }, "the product's record is erased", 600000);
  return Milliseconds() - start;
}

// Installs the product the wizard shows on page 8: Enter, accept, Enter.
void InstallShown(const TProcess& p, HWND main, const std::string& productKey) {
  HWND onPage8 = WaitFocus(p, [&](HWND w) { return w == main || IsChild(main, w); }, "the wizard has the focus");
  // The focus may have stayed on a control of a page now hidden.
  const bool shown = IsWindowVisible(onPage8);
  PressKey(p, main, VK_RETURN);
  HWND accept = WaitFocus(p, [&](HWND w) {
    return (w != onPage8 || !shown) && w != main && !IsEdit(w) && IsWindowVisible(w);
  }, "page 3 focuses the acceptance");
  PostKeyTo(accept, VK_SPACE, ' ');
  PressKey(p, main, VK_RETURN);
  Require([&] { return KeyExists("SoftWare\\Tessaro\\" + productKey); }, "the record of " + productKey + " is written",
          60000);
}

void Close(const TProcess& p, HWND main) {
  Step("page 7 -> 9 -> Close");
  PressKey(p, main, VK_RETURN);
  PressKey(p, main, VK_RETURN);
  Require([&] { return !p.Running(); }, "Close ends the wizard", 30000);
}

void Product(const std::string& exe, const std::string& stp, const std::string& productKey) {
  if (!KeyExists("SoftWare\\Tessaro\\KySetup")) Fail("the installer is not installed");
  TProcess p = Start(exe);
  HWND main = WaitMain(p);

  Step("a second copy ends before any window");
  TProcess second = Start(exe);
  bool sawWindow = false;
  Require([&] {
    if (!TopWindows(second.Info.dwProcessId).empty()) sawWindow = true;
    return !second.Running();
  }, "the second copy ends");
  if (sawWindow) Fail("the second copy showed a window");
  if (!p.Running()) Fail("the first copy ended");
  if (stp.empty()) {
    Step("Close on the products page ends the wizard");
    ClickAt(main, kBtNext.x, kBtNext.y);
    Require([&] { return !p.Running(); }, "Close ends the wizard", 30000);
    return;
  }

  InstallThroughAdd(p, main, stp, productKey);
  EraseFirstProduct(p, main, productKey);
  Close(p, main);
}

// For the benchmark: install and erase through the wizard, with their times.
void Timed(const std::string& exe, const std::string& stp, const std::string& productKey) {
  TProcess p = Start(exe);
  HWND main = WaitMain(p);
  std::printf("install ms %.1f\n", InstallThroughAdd(p, main, stp, productKey));
  std::printf("erase ms %.1f\n", EraseFirstProduct(p, main, productKey));
  Close(p, main);
}

void Opened(const std::string& commandLine, const std::string& firstKey, const std::string& exe, const std::string& second,
            const std::string& secondKey) {
  TProcess p = StartLine(commandLine);
  HWND main = WaitMain(p);
  Step("the opened file is on page 8: install it");
  if (KeyExists("SoftWare\\Tessaro\\" + firstKey)) Fail(firstKey + " is installed already");
  InstallShown(p, main, firstKey);
  if (KeyExists("SoftWare\\Tessaro\\" + secondKey)) Fail("the wrong product was installed");
  Step("page 7 -> 9");
  HWND finalPage = WindowAt(main, kProductsFirstRow);
  PressKey(p, main, VK_RETURN);
  Require([&] { return WindowAt(main, kProductsFirstRow) != finalPage; }, "the products list shows");

  Step("a second copy hands over another file and ends without a window");
  TProcess copy = Start(exe, "\"" + second + "\"");
  bool sawWindow = false;
  Require([&] {
    if (!TopWindows(copy.Info.dwProcessId).empty()) sawWindow = true;
    return !copy.Running();
  }, "the second copy ends");
  if (sawWindow) Fail("the second copy showed a window");
  if (copy.ExitCode() != 0) Fail("the second copy ended with " + std::to_string(copy.ExitCode()));
  Step("the handed file is on page 8: install it");
  InstallShown(p, main, secondKey);
  Close(p, main);
}

void Erase(const std::string& commandLine, const std::string& productKey) {
  if (!KeyExists("SoftWare\\Tessaro\\" + productKey)) Fail(productKey + " is not installed");
  TProcess p = StartLine(commandLine);
  HWND main = WaitMain(p);
  Step("the erase page: Enter erases");
  WaitFocus(p, [&](HWND w) { return w == main || IsChild(main, w); }, "the wizard has the focus");
  PressKey(p, main, VK_RETURN);
  Require([&] { return !KeyExists("SoftWare\\Tessaro\\" + productKey); }, "the product's record is erased", 60000);
  Close(p, main);
}

void Usage(const std::string& exe) {
  for (const char* args : {"/bogus", "/erase", "a.stp b.stp"}) {
    Step(std::string("refused: ") + args);
    TProcess p = Start(exe, args);
    HWND box = nullptr;
    Require([&] { return (box = TopWindowTitled(p.Info.dwProcessId, "Error")) != nullptr; }, "a message box shows");
    if (TopWindowTitled(p.Info.dwProcessId, "Install Manager ")) Fail("the wizard showed");
    PressKey(p, box, VK_RETURN);
    Require([&] { return !p.Running(); }, "the program ends with the box");
    if (p.ExitCode() != 2) Fail("ended with " + std::to_string(p.ExitCode()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "firstrun" && argc == 3) FirstRun(argv[2]);
  else if (mode == "product" && argc == 5) Product(argv[2], argv[3], argv[4]);
  else if (mode == "second" && argc == 3) Product(argv[2], "", "");
  else if (mode == "timed" && argc == 5) Timed(argv[2], argv[3], argv[4]);
  else if (mode == "opened" && argc == 7) Opened(argv[2], argv[3], argv[4], argv[5], argv[6]);
  else if (mode == "erase" && argc == 4) Erase(argv[2], argv[3]);
  else if (mode == "usage" && argc == 3) Usage(argv[2]);
  else {
    std::fputs("usage: kysetup_driver firstrun KYSETUP.EXE | second KYSETUP.EXE |\n"
               "       {product|timed} KYSETUP.EXE FILE.stp RECORDKEY | erase COMMANDLINE RECORDKEY |\n"
               "       opened COMMANDLINE KEY KYSETUP.EXE SECOND.stp SECONDKEY | usage KYSETUP.EXE\n", stderr);
    return 2;
  }
  std::puts("driver: every step held");
  return 0;
}
