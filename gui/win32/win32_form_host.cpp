#include "gui/win32/win32_form_host.h"

#include <algorithm>

#include "gui/win32/win32_form_window.h"

namespace vorn::win32 {

namespace {

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

Win32FormHost::Win32FormHost(HINSTANCE instance) : Win32FormHost(instance, ScreenDpi()) {}

Win32FormHost::Win32FormHost(HINSTANCE instance, int dpi) : dpi_(dpi) {
  Win32FormWindow::RegisterClass(instance);
}

Win32FormHost::~Win32FormHost() {
  // Windows still open when the program ends go without further events.
  modeless_.clear();
}

void Win32FormHost::ShowModal(forms::Form& form) {
  // Every window of the program that takes input now waits for this one.
  std::vector<HWND> disabled;
  for (Win32FormWindow* other : live_) {
    if (IsWindowEnabled(other->Handle())) {
      EnableWindow(other->Handle(), FALSE);
      disabled.push_back(other->Handle());
    }
  }
  Win32FormWindow window(form, *this);
  window.SetDisabledWhileShown(disabled);
  form.Attach(window);
  struct Detach {
    forms::Form& form;
    std::vector<HWND> disabled;
    ~Detach() {
      form.Detach();
      for (HWND other : disabled)
        if (IsWindow(other)) EnableWindow(other, TRUE);
    }
  } detach{form, disabled};
  form.Form_Load();
  if (window.Alive()) window.ShowCentred();
  while (window.Alive() && !failure_.Kept() && !quit_) {
    if (!Step()) break;
  }
  failure_.ThrowIfKept();
}

void Win32FormHost::ShowModeless(forms::Form& form) {
  auto window = std::make_unique<Win32FormWindow>(form, *this);
  Win32FormWindow& shown = *window;
  modeless_.push_back(std::move(window));
  form.Attach(shown);
  form.Form_Load();
  if (shown.Alive()) shown.ShowCentred();
}

void Win32FormHost::RunUntilNoWindow() {
  while (!live_.empty() && !failure_.Kept() && !quit_) {
    if (!Step()) break;
  }
  failure_.ThrowIfKept();
}

void Win32FormHost::WindowCreated(Win32FormWindow& window) { live_.push_back(&window); }

void Win32FormHost::WindowDestroyed(Win32FormWindow& window) {
  live_.erase(std::remove(live_.begin(), live_.end(), &window), live_.end());
  for (auto& owned : modeless_) {
    if (owned.get() == &window) owned->Form().Detach();
  }
}

void Win32FormHost::Fail(std::exception_ptr failure) { failure_.Keep(failure); }

void Win32FormHost::SetBusyPointer(bool busy) {
  busy_ = std::max(0, busy_ + (busy ? 1 : -1));
  SetCursor(LoadCursorW(nullptr, busy_ > 0 ? IDC_WAIT : IDC_ARROW));
}

bool Win32FormHost::Step() {
  MSG message{};
  const BOOL got = GetMessageW(&message, nullptr, 0, 0);
  if (got == 0 || got == -1) {
    quit_ = true;
    return false;
  }
  Dispatch(message);
  return true;
}

void Win32FormHost::Dispatch(MSG& message) {
  HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  Win32FormWindow* window = nullptr;
  for (Win32FormWindow* live : live_)
    if (live->Handle() == root) window = live;
  if (window != nullptr && message.message == WM_KEYDOWN &&
      (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE)) {
    HWND focus = GetFocus();
    if (window->IsListOpen(focus)) {
      // An open list takes the key to pick or to close.
      TranslateMessage(&message);
      DispatchMessageW(&message);
      return;
    }
    // No default or cancel button: Enter presses the focused button, nothing else; a key held
    // down presses it once (its repeats carry the key's previous state, bit 30), and Ctrl+Enter
    // presses nothing.
    const bool fresh = (message.lParam & (LPARAM{1} << 30)) == 0;
    const bool plain = GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
    if (message.wParam == VK_RETURN && fresh && plain && window->IsButton(focus))
      window->Press(focus);
    return;
  }
  if (window != nullptr && IsDialogMessageW(root, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace vorn::win32
