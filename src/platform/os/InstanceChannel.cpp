#include "platform/os/InstanceChannel.h"

#include "platform/os/WinApi.h"

#include <cstdlib>

#include <deque>

#include "platform/base/Exception.h"
#include "platform/os/SysError.h"

namespace {

[[noreturn]] void RaiseChannelError() {
  const DWORD code = GetLastError();
  throw EOSError("Cannot make the window other copies of the program reach. " + SysErrorMessage(code), code);
}

constexpr UINT kHandleQueued = WM_APP + 0x2A7;
// Marks our requests among WM_COPYDATA messages.
constexpr ULONG_PTR kRequestTag = 0x4B595354;  // "KYST"

}  // namespace

struct TInstanceChannel::TState {
  std::string className;
  THandler handler;
  HWND window = nullptr;
  std::deque<std::string> queue;
};

namespace {

LRESULT CALLBACK ChannelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<TInstanceChannel::TState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (state && message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data || data->dwData != kRequestTag || data->cbData > 65536) return FALSE;
    state->queue.emplace_back(static_cast<const char*>(data->lpData), data->cbData);
    PostMessageA(window, kHandleQueued, 0, 0);
    return TRUE;
  }
  if (state && message == kHandleQueued) {
    if (state->queue.empty()) return 0;
    std::string request = std::move(state->queue.front());
    state->queue.pop_front();
    if (state->handler) state->handler(request);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

TInstanceChannel::TInstanceChannel(const std::string& className, THandler handler)
    : state_(std::make_unique<TState>()) {
  state_->className = className;
  state_->handler = std::move(handler);
  WNDCLASSA wc{};
  wc.lpfnWndProc = ChannelProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = state_->className.c_str();
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) RaiseChannelError();
  // A message-only window: found by its class, never part of the desktop's
  // windows, so it takes no part in activation and focus.
  state_->window = CreateWindowExA(0, state_->className.c_str(), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   wc.hInstance, nullptr);
  if (!state_->window) RaiseChannelError();
  SetWindowLongPtrA(state_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state_.get()));
}

TInstanceChannel::~TInstanceChannel() {
  if (state_->window) {
    SetWindowLongPtrA(state_->window, GWLP_USERDATA, 0);
    DestroyWindow(state_->window);
  }
}

void TInstanceChannel::Post(const std::string& request) {
  state_->queue.push_back(request);
  PostMessageA(state_->window, kHandleQueued, 0, 0);
}

bool TInstanceChannel::Send(const std::string& className, const std::string& request) {
  HWND window = FindWindowExA(HWND_MESSAGE, nullptr, className.c_str(), nullptr);
  if (!window) return false;
  COPYDATASTRUCT data{};
  data.dwData = kRequestTag;
  data.cbData = static_cast<DWORD>(request.size());
  data.lpData = const_cast<char*>(request.data());
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000,
                             &answer) != 0 &&
         answer == TRUE;
}

std::vector<std::string> ProgramArguments() {
  // The runtime has split the command line by the system's rules for quotes
  // and backslashes; the shell's splitter would load the shell (and 2 MB
  // with it) at every start.
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.push_back(__argv[i]);
  return args;
}

std::string FullPathName(const std::string& fileName) {
  char buffer[MAX_PATH * 2];
  DWORD n = GetFullPathNameA(fileName.c_str(), sizeof buffer, buffer, nullptr);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : fileName;
}
