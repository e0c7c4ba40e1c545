#include "bench/win32/minimal_dialog.h"

#include "bench/win32/dialog_template.h"

namespace {

INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int ShowMinimalDialog(HINSTANCE instance) {
  DialogTemplate dialog(DS_CENTER | DS_MODALFRAME | WS_POPUP | WS_CAPTION, 200, 80,
                        L"Minimal Dialog", 8, L"MS Sans Serif");
  dialog.AddItem(SS_LEFT, 10, 10, 180, 30, 100, 0x0082, L"A bare Win32 dialog.");
  dialog.AddItem(BS_PUSHBUTTON | WS_TABSTOP, 140, 58, 50, 14, IDOK, 0x0080, L"OK");
  return static_cast<int>(DialogBoxIndirectParamW(instance, dialog.Get(), nullptr, &Proc, 0));
}
