#include "gui/win32/win32_form_window.h"

#include <stdexcept>

#include "common/wide_text.h"
#include "gui/win32/classic_font.h"
#include "gui/win32/win32_form_host.h"

namespace vorn::win32 {

using forms::ControlKind;
using forms::ControlLayout;

namespace {

constexpr const wchar_t* kClassName = L"VornForm";
// Where a control's window keeps its form window and its own procedure while subclassed.
constexpr const wchar_t* kOwnerProp = L"VornFormWindow";
constexpr const wchar_t* kProcProp = L"VornControlProc";
constexpr int kFirstId = 100;
// A combo box window is its text field plus the room its list drops into, at 96 dots per inch.
constexpr int kComboListPixels = 160;

DWORD FormStyle(forms::FormBorder border) {
  switch (border) {
    case forms::FormBorder::kFixedDialog:
    case forms::FormBorder::kFixedSingle:
      // A title bar without system menu, so no close, minimise or maximise button either.
      return WS_POPUP | WS_CAPTION;
    case forms::FormBorder::kFixedSingleNoTitleBar:
      return WS_POPUP | WS_BORDER;
  }
  return WS_POPUP | WS_CAPTION;
}

DWORD FormExStyle(forms::FormBorder border) {
  // Owner-less windows still get their button on the task bar.
  DWORD style = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
  if (border == forms::FormBorder::kFixedDialog) style |= WS_EX_DLGMODALFRAME;
  return style;
}

DWORD LabelStyle(const ControlLayout& layout) {
  // Names shown in labels are never read as access keys.
  DWORD style = SS_NOPREFIX;
  switch (layout.Align) {
    case forms::TextAlign::kRight:
      return style | SS_RIGHT;
    case forms::TextAlign::kCentre:
      return style | SS_CENTER;
    case forms::TextAlign::kLeft:
      break;
  }
  return style | (layout.WordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
}

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

bool IsKind(const ControlLayout& layout, ControlKind kind) { return layout.Kind == kind; }

}  // namespace

void Win32FormWindow::RegisterClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &Win32FormWindow::WindowProc;
  wc.hInstance = instance;
  // The program's icon is its first icon resource.
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
}

Win32FormWindow::Win32FormWindow(forms::Form& form, Win32FormHost& host)
    : form_(form), host_(host) {
  try {
    Build();
  } catch (...) {
    // A window half built goes again before the failure is passed on.
    if (hwnd_ != nullptr) {
      unloading_ = true;
      DestroyWindow(hwnd_);
    }
    for (HFONT font : fonts_) DeleteObject(font);
    throw;
  }
}

Win32FormWindow::~Win32FormWindow() {
  if (hwnd_ != nullptr) {
    unloading_ = true;  // destroyed with its owner object: no unload event any more
    DestroyWindow(hwnd_);
  }
  for (HFONT font : fonts_) DeleteObject(font);
}

void Win32FormWindow::Build() {
  const forms::FormLayout& layout = form_.Layout();
  const int dpi = host_.Dpi();

  const DWORD style = FormStyle(layout.Border);
  const DWORD exStyle = FormExStyle(layout.Border);
  RECT outer{0, 0, forms::TwipsToPixels(layout.ClientWidth, dpi),
             forms::TwipsToPixels(layout.ClientHeight, dpi)};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  hwnd_ =
      CreateWindowExW(exStyle, kClassName, AnsiToWide(layout.Caption).c_str(), style, CW_USEDEFAULT,
                      CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                      nullptr, GetModuleHandleW(nullptr), this);
  if (hwnd_ == nullptr) throw std::runtime_error("The window cannot be created");
  host_.WindowCreated(*this);

  fonts_.push_back(CreateControlFont({}, dpi));
  // Tab order is the order of creation: the controls that take the focus first, in their tab
  // order, then labels, and frames last, beneath the controls drawn inside them.
  for (const ControlLayout* control : forms::FocusOrder(layout)) AddControl(*control, dpi);
  for (const ControlLayout& control : layout.Controls)
    if (IsKind(control, ControlKind::kLabel)) AddControl(control, dpi);
  for (const ControlLayout& control : layout.Controls)
    if (IsKind(control, ControlKind::kFrame)) AddControl(control, dpi);
}

void Win32FormWindow::AddControl(const ControlLayout& layout, int dpi) {
  const forms::Rect rect = forms::ClientPixels(form_.Layout(), layout, dpi);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  const wchar_t* className = L"STATIC";
  int height = rect.Height;
  switch (layout.Kind) {
    case ControlKind::kLabel:
      style |= LabelStyle(layout);
      break;
    case ControlKind::kFrame:
      className = L"BUTTON";
      style |= BS_GROUPBOX;
      break;
    case ControlKind::kComboBox:
      className = L"COMBOBOX";
      style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
      height += MulDiv(kComboListPixels, dpi, USER_DEFAULT_SCREEN_DPI);
      break;
    case ControlKind::kTextBox:
      className = L"EDIT";
      style |= WS_TABSTOP | ES_AUTOHSCROLL | (layout.DisplayOnly ? ES_READONLY : 0);
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::kCommandButton:
      className = L"BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case ControlKind::kListBox:
      className = L"LISTBOX";
      style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
  }
  if (layout.Visible) style |= WS_VISIBLE;
  if (!layout.Enabled) style |= WS_DISABLED;

  // A control's id is its place in the layout table, plus 100: stable for tools that read the
  // window from outside.
  const int index = static_cast<int>(&layout - form_.Layout().Controls.data());
  HWND hwnd = CreateWindowExW(exStyle, className, AnsiToWide(layout.Caption).c_str(), style,
                              rect.Left, rect.Top, rect.Width, height, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + index)),
                              GetModuleHandleW(nullptr), nullptr);
  if (hwnd == nullptr) throw std::runtime_error(std::string("Cannot create ") + layout.Name);

  HFONT font = fonts_.front();
  if (layout.Font.Face != nullptr) {
    font = CreateControlFont(layout.Font, dpi);
    fonts_.push_back(font);
  }
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  if (IsKind(layout, ControlKind::kComboBox)) {
    // The text field gets exactly the designed height. What its borders add depends on the
    // system and its scaling, so the height is set, measured and set once more.
    const auto closedHeight = [hwnd] {
      RECT closed{};
      GetWindowRect(hwnd, &closed);
      return static_cast<int>(closed.bottom - closed.top);
    };
    int text = rect.Height - 6;
    SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), text);
    text += rect.Height - closedHeight();
    SendMessageW(hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), text);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(hwnd, &info) && info.hwndItem != nullptr) Subclass(info.hwndItem);
  }
  if (forms::TakesFocus(layout)) Subclass(hwnd);
  controls_.push_back({&layout, hwnd});
}

void Win32FormWindow::ShowCentred() {
  RECT window{};
  GetWindowRect(hwnd_, &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  SetWindowPos(hwnd_, HWND_TOP, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  if (const Control* control = Find(form_.Layout().FirstFocus)) SetFocus(control->Hwnd);
  UpdateWindow(hwnd_);
}

LRESULT CALLBACK Win32FormWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr || self->hwnd_ == nullptr) {
    if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->Handle(message, wParam, lParam);
}

LRESULT Win32FormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        // The focus is still where the user left it; it moves away only after this message.
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) lastFocus_ = focus;
        return 0;
      }
      // Not the window itself (the default) but the control that had the focus gets it.
      if (HIWORD(wParam) == 0 && RestoreFocus()) return 0;
      break;
    case WM_CLOSE:
      // Any close the window system asks for unloads the form like its own Close.
      Forward([this] { Unload(); });
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // Labels, frames and display-only boxes on the button face, as in a dialog.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(dc,
                   GetSysColor(IsWindowEnabled(reinterpret_cast<HWND>(lParam)) ? COLOR_BTNTEXT
                                                                               : COLOR_GRAYTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
      if (host_.Busy()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_NCDESTROY: {
      HWND hwnd = hwnd_;
      hwnd_ = nullptr;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      host_.WindowDestroyed(*this);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Win32FormWindow::Subclass(HWND control) {
  SetPropW(control, kOwnerProp, this);
  const LONG_PTR original = SetWindowLongPtrW(
      control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32FormWindow::ControlProc));
  SetPropW(control, kProcProp, reinterpret_cast<HANDLE>(original));
}

LRESULT CALLBACK Win32FormWindow::ControlProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  auto* owner = static_cast<Win32FormWindow*>(GetPropW(hwnd, kOwnerProp));
  auto original = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kProcProp));
  if (message == WM_NCDESTROY) {
    // The control goes: its own procedure takes over again.
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropW(hwnd, kOwnerProp);
    RemovePropW(hwnd, kProcProp);
  }
  const LRESULT result = CallWindowProcW(original, hwnd, message, wParam, lParam);
  if (message == WM_KILLFOCUS && owner != nullptr)
    owner->OnFocusLeft(hwnd, reinterpret_cast<HWND>(wParam));
  return result;
}

template <typename Handler>
void Win32FormWindow::Forward(Handler handler) {
  try {
    handler();
  } catch (...) {
    host_.Fail(std::current_exception());
  }
}

void Win32FormWindow::OnCommand(int id, int code) {
  const Control* found = nullptr;
  for (const Control& control : controls_)
    if (GetDlgCtrlID(control.Hwnd) == id) found = &control;
  if (found == nullptr) return;
  const Control& control = *found;
  const forms::ControlId which = control.Layout->Id;
  switch (control.Layout->Kind) {
    case ControlKind::kCommandButton:
      if (code == BN_CLICKED) Forward([&] { form_.Click(which); });
      break;
    case ControlKind::kComboBox:
      if (code == CBN_SELCHANGE) {
        // The text field takes the picked entry only after this notification; the form reads
        // the text, so it is put there first.
        const LRESULT picked = SendMessageW(control.Hwnd, CB_GETCURSEL, 0, 0);
        if (picked != CB_ERR)
          SetWindowTextW(control.Hwnd,
                         AnsiToWide(ItemText(which, static_cast<int>(picked))).c_str());
        Forward([&] { form_.Click(which); });
      }
      break;
    case ControlKind::kListBox:
      if (code == LBN_SELCHANGE) Forward([&] { form_.Click(which); });
      break;
    default:
      break;
  }
}

void Win32FormWindow::OnFocusLeft(HWND hwnd, HWND next) {
  if (unloading_ || hwnd_ == nullptr || next == nullptr) return;
  if (GetAncestor(next, GA_ROOT) != hwnd_) return;  // another window: not a LostFocus
  const Control* left = Owning(hwnd);
  if (left == nullptr || left == Owning(next)) return;  // within one combo box
  const forms::ControlId id = left->Layout->Id;
  Forward([&] { form_.LostFocus(id); });
}

bool Win32FormWindow::RestoreFocus() {
  HWND control = lastFocus_;
  if (control == nullptr || !IsWindow(control) || !IsChild(hwnd_, control) ||
      !IsWindowVisible(control) || !IsWindowEnabled(control))
    return false;
  // Coming back from another window is no focus change within the form: the control that
  // had the focus keeps it, and its lost-focus event comes when the user moves on from it.
  SetFocus(control);
  return true;
}

bool Win32FormWindow::IsButton(HWND control) const {
  const Control* owner = Owning(control);
  return owner != nullptr && owner->Hwnd == control &&
         IsKind(*owner->Layout, ControlKind::kCommandButton);
}

void Win32FormWindow::Press(HWND button) {
  if (!IsWindowEnabled(button)) return;
  OnCommand(GetDlgCtrlID(button), BN_CLICKED);
}

bool Win32FormWindow::IsListOpen(HWND focus) const {
  const Control* owner = Owning(focus);
  return owner != nullptr && IsKind(*owner->Layout, ControlKind::kComboBox) &&
         SendMessageW(owner->Hwnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void Win32FormWindow::Unload() {
  if (unloading_ || hwnd_ == nullptr) return;
  unloading_ = true;
  form_.Form_Unload();
  // The windows a modal one disabled come back before it goes, so the activation returns to
  // them and not to another program.
  for (HWND window : disabled_)
    if (IsWindow(window)) EnableWindow(window, TRUE);
  disabled_.clear();
  DestroyWindow(hwnd_);
}

const Win32FormWindow::Control* Win32FormWindow::Find(forms::ControlId control) const {
  for (const Control& built : controls_)
    if (built.Layout->Id == control) return &built;
  return nullptr;
}

const Win32FormWindow::Control& Win32FormWindow::Get(forms::ControlId control) const {
  const ControlLayout& row = forms::GetControl(form_.Layout(), control);
  if (const Control* built = Find(row.Id)) return *built;
  throw std::logic_error(std::string("No window for ") + row.Name);
}

const Win32FormWindow::Control* Win32FormWindow::Owning(HWND hwnd) const {
  for (const Control& control : controls_)
    if (control.Hwnd == hwnd || IsChild(control.Hwnd, hwnd)) return &control;
  return nullptr;
}

void Win32FormWindow::SetCaption(const std::string& text) {
  SetWindowTextW(hwnd_, AnsiToWide(text).c_str());
}

void Win32FormWindow::SetText(forms::ControlId control, const std::string& text) {
  SetWindowTextW(Get(control).Hwnd, AnsiToWide(text).c_str());
}

std::string Win32FormWindow::Text(forms::ControlId control) const {
  return WideToAnsi(WindowText(Get(control).Hwnd));
}

void Win32FormWindow::AddItem(forms::ControlId control, const std::string& text) {
  const Control& c = Get(control);
  const UINT add = IsKind(*c.Layout, ControlKind::kComboBox) ? CB_ADDSTRING : LB_ADDSTRING;
  SendMessageW(c.Hwnd, add, 0, reinterpret_cast<LPARAM>(AnsiToWide(text).c_str()));
}

void Win32FormWindow::InsertItem(forms::ControlId control, int index, const std::string& text) {
  const Control& c = Get(control);
  const UINT insert = IsKind(*c.Layout, ControlKind::kComboBox) ? CB_INSERTSTRING : LB_INSERTSTRING;
  SendMessageW(c.Hwnd, insert, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(AnsiToWide(text).c_str()));
}

int Win32FormWindow::ItemCount(forms::ControlId control) const {
  const Control& c = Get(control);
  const UINT count = IsKind(*c.Layout, ControlKind::kComboBox) ? CB_GETCOUNT : LB_GETCOUNT;
  return static_cast<int>(SendMessageW(c.Hwnd, count, 0, 0));
}

std::string Win32FormWindow::ItemText(forms::ControlId control, int index) const {
  const Control& c = Get(control);
  const bool combo = IsKind(*c.Layout, ControlKind::kComboBox);
  const LRESULT length =
      SendMessageW(c.Hwnd, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(c.Hwnd, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return WideToAnsi(text);
}

void Win32FormWindow::SetListIndex(forms::ControlId control, int index) {
  const Control& c = Get(control);
  if (!IsKind(*c.Layout, ControlKind::kComboBox)) {
    SendMessageW(c.Hwnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return;
  }
  // Making no entry current empties the text field; the text stays as it was.
  const std::wstring text = index < 0 ? WindowText(c.Hwnd) : std::wstring();
  SendMessageW(c.Hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (index < 0) SetWindowTextW(c.Hwnd, text.c_str());
}

void Win32FormWindow::SetEnabled(forms::ControlId control, bool enabled) {
  EnableWindow(Get(control).Hwnd, enabled ? TRUE : FALSE);
}

void Win32FormWindow::SetVisible(forms::ControlId control, bool visible) {
  ShowWindow(Get(control).Hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

void Win32FormWindow::Repaint() {
  if (hwnd_ == nullptr) return;
  // Painted at once, without taking any input from the queue.
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Win32FormWindow::SetBusyPointer(bool busy) { host_.SetBusyPointer(busy); }

void Win32FormWindow::Close() { Unload(); }

}  // namespace vorn::win32
