#include "bench/win32/minimal_dialog.h"

#include <cstring>
#include <vector>

namespace {

// Appends a 16-bit value or a NUL-terminated wide text to the template.
void Word(std::vector<WORD>& t, WORD value) { t.push_back(value); }
void Text(std::vector<WORD>& t, const wchar_t* text) {
  do t.push_back(static_cast<WORD>(*text));
  while (*text++ != L'\0');
}
void Align(std::vector<WORD>& t) {
  if (t.size() % 2 != 0) t.push_back(0);
}

void Item(std::vector<WORD>& t, DWORD style, short x, short y, short cx, short cy, WORD id,
          WORD cls, const wchar_t* text) {
  Align(t);
  const DLGITEMTEMPLATE item{style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id};
  const auto* words = reinterpret_cast<const WORD*>(&item);
  t.insert(t.end(), words, words + sizeof item / sizeof(WORD));
  Word(t, 0xFFFF);
  Word(t, cls);
  Text(t, text);
  Word(t, 0);
}

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
  std::vector<WORD> t;
  const DLGTEMPLATE dialog{
      DS_SETFONT | DS_CENTER | DS_MODALFRAME | WS_POPUP | WS_CAPTION, 0, 2, 0, 0, 200, 80};
  const auto* words = reinterpret_cast<const WORD*>(&dialog);
  t.insert(t.end(), words, words + sizeof dialog / sizeof(WORD));
  Word(t, 0);  // no menu
  Word(t, 0);  // the standard dialog class
  Text(t, L"Minimal Dialog");
  Word(t, 8);
  Text(t, L"MS Sans Serif");
  Item(t, SS_LEFT, 10, 10, 180, 30, 100, 0x0082, L"A bare Win32 dialog.");
  Item(t, BS_PUSHBUTTON | WS_TABSTOP, 140, 58, 50, 14, IDOK, 0x0080, L"OK");
  return static_cast<int>(DialogBoxIndirectParamW(
      instance, reinterpret_cast<const DLGTEMPLATE*>(t.data()), nullptr, &Proc, 0));
}
