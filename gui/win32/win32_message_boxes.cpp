#include "gui/win32/win32_message_boxes.h"

#include <windows.h>

#include "common/wide_text.h"

namespace vorn::win32 {

namespace {

UINT IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return MB_ICONINFORMATION;
    case MessageIcon::kWarning:
      return MB_ICONEXCLAMATION;
    case MessageIcon::kCritical:
      return MB_ICONHAND;
    case MessageIcon::kNone:
      break;
  }
  return 0;
}

}  // namespace

MessageAnswer Win32MessageBoxes::Show(const std::string& text, MessageIcon icon,
                                      MessageButtons buttons) {
  const UINT style = IconStyle(icon) |
                     (buttons == MessageButtons::kOkCancel ? MB_OKCANCEL : MB_OK) | MB_TASKMODAL |
                     MB_SETFOREGROUND;
  // A box without an owner leaves no window active when it closes: the program's window that
  // was active gets the activation back, and with it the focus it had.
  HWND active = GetActiveWindow();
  // Dismissing an OK and Cancel box without a choice answers Cancel, as the box itself does.
  const int answer = MessageBoxW(nullptr, Utf8ToWide(text).c_str(), title_.c_str(), style);
  if (active != nullptr && IsWindow(active) && IsWindowEnabled(active)) SetForegroundWindow(active);
  return answer == IDOK ? MessageAnswer::kOk : MessageAnswer::kCancel;
}

}  // namespace vorn::win32
