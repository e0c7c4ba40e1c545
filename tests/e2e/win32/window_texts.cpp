// Lists the visible top-level windows titled TITLE with every control's text, state and place,
// as the end-to-end tests under Wine read the screen:
//   window_texts TITLE
//   window_texts --child TEXT     (the windows holding a control whose text is TEXT)
// Output, UTF-8, one line each (positions in screen pixels, the same as the X screen's):
//   window "TITLE" client=X,Y size=WxH enabled=0|1
//   control ID CLASS enabled=0|1 visible=0|1 focus=0|1 centre=X,Y rect=L,T,WxH text="..."
//   item ID INDEX "..."        (each entry of a list box or combo box)
//   selected ID INDEX          (a list box's selection, -1 for none)
// A control's rect is relative to its window's client area. Exit status 1 when no such window
// is shown.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                      nullptr, nullptr);
  return text;
}

// Line breaks are shown as \n so that one control stays on one line.
std::string Quoted(const std::wstring& wide) {
  std::string out;
  for (char c : Utf8(wide)) {
    if (c == '\r') continue;
    if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

// The text the control holds. GetWindowTextW would give another program's edit boxes only
// their creation caption, so the control is asked itself.
std::wstring Text(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

void ListItems(HWND control, int id, bool combo) {
  const UINT countMessage = combo ? CB_GETCOUNT : LB_GETCOUNT;
  const int count = static_cast<int>(SendMessageW(control, countMessage, 0, 0));
  for (int i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(control, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0);
    std::wstring item(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, i,
                 reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    std::printf("item %d %d \"%s\"\n", id, i, Quoted(item).c_str());
  }
  if (!combo)
    std::printf("selected %d %d\n", id,
                static_cast<int>(SendMessageW(control, LB_GETCURSEL, 0, 0)));
}

BOOL CALLBACK ShowControl(HWND control, LPARAM focus) {
  // Only the window's own controls: a combo box's text field is shown with the combo box.
  if (GetParent(control) == nullptr || ClassOf(GetParent(control)) == L"ComboBox") return TRUE;
  RECT rect{};
  GetWindowRect(control, &rect);
  RECT client = rect;
  MapWindowPoints(nullptr, GetAncestor(control, GA_ROOT), reinterpret_cast<POINT*>(&client), 2);
  const int id = GetDlgCtrlID(control);
  const std::wstring cls = ClassOf(control);
  const HWND focused = reinterpret_cast<HWND>(focus);
  const bool hasFocus = focused == control || IsChild(control, focused);
  std::printf(
      "control %d %s enabled=%d visible=%d focus=%d centre=%ld,%ld rect=%ld,%ld,%ldx%ld "
      "text=\"%s\"\n",
      id, Utf8(cls).c_str(), IsWindowEnabled(control) ? 1 : 0, IsWindowVisible(control) ? 1 : 0,
      hasFocus ? 1 : 0, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, client.left,
      client.top, client.right - client.left, client.bottom - client.top,
      Quoted(Text(control)).c_str());
  if (_wcsicmp(cls.c_str(), L"ListBox") == 0) ListItems(control, id, false);
  if (_wcsicmp(cls.c_str(), L"ComboBox") == 0) ListItems(control, id, true);
  return TRUE;
}

struct Search {
  std::wstring text;
  bool byChild;
  std::vector<HWND> found;
};

BOOL CALLBACK FindChild(HWND control, LPARAM data) {
  auto& search = *reinterpret_cast<Search*>(data);
  if (Text(control) != search.text) return TRUE;
  search.found.push_back(GetAncestor(control, GA_ROOT));
  return FALSE;
}

BOOL CALLBACK FindWindows(HWND hwnd, LPARAM data) {
  auto& search = *reinterpret_cast<Search*>(data);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (search.byChild)
    EnumChildWindows(hwnd, &FindChild, data);
  else if (Text(hwnd) == search.text)
    search.found.push_back(hwnd);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
  const bool byChild = argc == 3 && std::wstring(argv[1]) == L"--child";
  if (argc != 2 && !byChild) {
    std::fprintf(stderr, "usage: window_texts TITLE | --child TEXT\n");
    return 2;
  }
  Search search{argv[argc - 1], byChild, {}};
  EnumWindows(&FindWindows, reinterpret_cast<LPARAM>(&search));
  for (HWND window : search.found) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    RECT client{};
    GetClientRect(window, &client);
    // The focus of another thread's window is read through its input state.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    std::printf("window \"%s\" client=%ld,%ld size=%ldx%ld enabled=%d\n",
                Quoted(Text(window)).c_str(), origin.x, origin.y, client.right, client.bottom,
                IsWindowEnabled(window) ? 1 : 0);
    EnumChildWindows(window, &ShowControl, reinterpret_cast<LPARAM>(info.hwndFocus));
  }
  std::fflush(stdout);
  return search.found.empty() ? 1 : 0;
}
