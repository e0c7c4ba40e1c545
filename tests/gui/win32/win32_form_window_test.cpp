// The Win32 front end under Wine: windows built from a layout table, the view operations the
// forms use, and how events reach a form. Needs a screen (the Windows job's Xvfb).
#include "gui/win32/win32_form_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "autoconfig/forms/frm_main.h"
#include "autoconfig/launcher.h"
#include "autoconfig/tree_search.h"
#include "common/forms/form.h"
#include "gui/win32/win32_form_host.h"
#include "gui/win32/win32_message_boxes.h"
#include "print/forms/frm_controls.h"
#include "print/forms/frm_printer_choice.h"
#include "print/forms/frm_printer_font.h"
#include "recording_message_boxes.h"
#include "recording_printer_service.h"

namespace vorn::win32 {
namespace {

using forms::ControlKind;
using forms::ControlLayout;
using forms::TextAlign;

// The test form's controls, in the order of its table's rows.
enum class Ctl { lblName, Frame1, cmbList, txtBox, txtShow, lstItems, btnGo, btnOff, lblBold };

// clang-format off
constexpr ControlLayout kControls[] = {
    {.Id = Ctl::lblName, .Name = "lblName", .Kind = ControlKind::kLabel,
     .Caption = "&Name:",
     .Left = 120, .Top = 120, .Width = 1200, .Height = 255, .TabIndex = 5,
     .Align = TextAlign::kRight},
    {.Id = Ctl::Frame1, .Name = "Frame1", .Kind = ControlKind::kFrame,
     .Caption = "Group",
     .Left = 120, .Top = 480, .Width = 4500, .Height = 1200, .TabIndex = 0},
    {.Id = Ctl::cmbList, .Name = "cmbList", .Kind = ControlKind::kComboBox,
     .Container = Ctl::Frame1,
     .Left = 240, .Top = 360, .Width = 3000, .Height = 315, .TabIndex = 1},
    {.Id = Ctl::txtBox, .Name = "txtBox", .Kind = ControlKind::kTextBox,
     .Container = Ctl::Frame1,
     .Left = 240, .Top = 780, .Width = 1500, .Height = 285, .TabIndex = 2},
    {.Id = Ctl::txtShow, .Name = "txtShow", .Kind = ControlKind::kTextBox,
     .Left = 2040, .Top = 120, .Width = 1500, .Height = 285, .TabIndex = 6, .DisplayOnly = true},
    {.Id = Ctl::lstItems, .Name = "lstItems", .Kind = ControlKind::kListBox,
     .Left = 120, .Top = 1800, .Width = 4500, .Height = 600, .TabIndex = 4},
    {.Id = Ctl::btnGo, .Name = "btnGo", .Kind = ControlKind::kCommandButton,
     .Caption = "Go",
     .Left = 3600, .Top = 2520, .Width = 1035, .Height = 315, .TabIndex = 3},
    {.Id = Ctl::btnOff, .Name = "btnOff", .Kind = ControlKind::kCommandButton,
     .Caption = "Off",
     .Left = 2400, .Top = 2520, .Width = 1035, .Height = 315, .TabIndex = 7,
     .Align = TextAlign::kCentre, .Enabled = false, .Visible = false},
    {.Id = Ctl::lblBold, .Name = "lblBold", .Kind = ControlKind::kLabel,
     .Caption = "Bold",
     .Left = 120, .Top = 2520, .Width = 2000, .Height = 375, .TabIndex = 8,
     .WordWrap = true, .Font = {"MS Sans Serif", 9.75, true}},
};
// clang-format on
static_assert(forms::RowsFollow<Ctl>(kControls));

const forms::FormLayout kLayout = {.Name = "frmTest",
                                   .Caption = "Test Form",
                                   .ClientWidth = 4800,
                                   .ClientHeight = 3000,
                                   .Border = forms::FormBorder::kFixedDialog,
                                   .Controls = kControls,
                                   .FirstFocus = Ctl::txtBox};

// 100 %, 125 % and 150 % display scaling.
constexpr int kDpis[] = {96, 120, 144};

// A form that records its events and can be told what a click does.
class RecordingForm final : public forms::Form {
 public:
  explicit RecordingForm(const forms::FormLayout& layout = kLayout) : layout_(layout) {}
  const forms::FormLayout& Layout() const override { return layout_; }
  void Form_Load() override {
    events.push_back("Load");
    if (onLoad) onLoad(View());
  }
  void Form_Unload() override { events.push_back("Unload " + View().Text(Ctl::txtBox)); }
  void Click(forms::ControlId control) override {
    events.push_back(std::string("Click ") + forms::GetControl(layout_, control).Name);
    if (onClick) onClick(View(), control);
  }
  void LostFocus(forms::ControlId control) override {
    events.push_back(std::string("LostFocus ") + forms::GetControl(layout_, control).Name);
  }
  forms::FormView& TheView() { return View(); }

  std::vector<std::string> events;
  std::function<void(forms::FormView&)> onLoad;
  std::function<void(forms::FormView&, forms::ControlId)> onClick;

 private:
  const forms::FormLayout& layout_;
};

// Runs `work` once, `ms` milliseconds from now, from the message loop then running (a modal
// form's, a message box's); `work` may itself call After again.
void After(UINT ms, std::function<void()> work) {
  static std::function<void()> pending;
  pending = std::move(work);
  SetTimer(nullptr, 0, ms, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::exchange(pending, nullptr)();
  });
}

// Posts a press and release of `key` to `hwnd`; the press's flags as given (repeat count 1).
void PostKey(HWND hwnd, WPARAM key, LPARAM flags = 1) {
  PostMessageW(hwnd, WM_KEYDOWN, key, flags);
  PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
}

HWND TestFormWindow() { return FindWindowW(L"VornForm", L"Test Form"); }

class Win32FormWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no screen";
  }
  HWND Control(const Win32FormWindow& window, const char* name) {
    const auto& controls = kLayout.Controls;
    for (std::size_t i = 0; i < controls.size(); ++i)
      if (std::string(controls[i].Name) == name)
        return GetDlgItem(window.Handle(), 100 + static_cast<int>(i));
    return nullptr;
  }
  void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  Win32FormHost host_{GetModuleHandleW(nullptr)};
};

TEST_F(Win32FormWindowTest, ControlsSitAtTheirTwipsInPixelsInsideTheClientAreaAtEveryScaling) {
  for (const int dpi : kDpis) {
    SCOPED_TRACE(dpi);
    Win32FormHost host(GetModuleHandleW(nullptr), dpi);
    RecordingForm form;
    Win32FormWindow window(form, host);
    RECT client{};
    GetClientRect(window.Handle(), &client);
    EXPECT_EQ(client.right, forms::TwipsToPixels(4800, dpi));
    EXPECT_EQ(client.bottom, forms::TwipsToPixels(3000, dpi));
    for (const ControlLayout& layout : kControls) {
      SCOPED_TRACE(layout.Name);
      HWND hwnd = Control(window, layout.Name);
      ASSERT_NE(hwnd, nullptr);
      RECT rect{};
      GetWindowRect(hwnd, &rect);
      MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&rect), 2);
      const forms::Rect expected = forms::ClientPixels(kLayout, layout, dpi);
      EXPECT_EQ(rect.left, expected.Left);
      EXPECT_EQ(rect.top, expected.Top);
      EXPECT_EQ(rect.right - rect.left, expected.Width);
      // A closed combo box is as tall as its text field: the designed height too.
      EXPECT_EQ(rect.bottom - rect.top, expected.Height);
      // The form itself is not shown yet: the control's own visible flag counts.
      EXPECT_EQ((GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0, layout.Visible);
      EXPECT_EQ(IsWindowEnabled(hwnd) != FALSE, layout.Enabled);
    }
    // The list drops down as far at every scaling (160 pixels at 100 %), in whole entries.
    HWND cmbList = Control(window, "cmbList");
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof combo;
    ASSERT_TRUE(GetComboBoxInfo(cmbList, &combo));
    SendMessageW(cmbList, CB_SHOWDROPDOWN, TRUE, 0);
    RECT list{};
    GetWindowRect(combo.hwndList, &list);
    SendMessageW(cmbList, CB_SHOWDROPDOWN, FALSE, 0);
    const auto entry = static_cast<int>(SendMessageW(cmbList, CB_GETITEMHEIGHT, 0, 0));
    EXPECT_LE(list.bottom - list.top, MulDiv(160, dpi, 96) + 2);
    EXPECT_GT(list.bottom - list.top, MulDiv(160, dpi, 96) - entry - 2);
  }
}

TEST_F(Win32FormWindowTest, BordersAndTitleBarFollowTheLayoutWithoutSystemMenu) {
  struct Case {
    forms::FormBorder border;
    bool caption;
  };
  for (const Case c :
       {Case{forms::FormBorder::kFixedDialog, true}, Case{forms::FormBorder::kFixedSingle, true},
        Case{forms::FormBorder::kFixedSingleNoTitleBar, false}}) {
    forms::FormLayout layout = kLayout;
    layout.Border = c.border;
    RecordingForm form(layout);
    Win32FormWindow window(form, host_);
    const LONG_PTR style = GetWindowLongPtrW(window.Handle(), GWL_STYLE);
    EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, c.caption);
    EXPECT_EQ(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(GetWindow(window.Handle(), GW_OWNER), nullptr);
  }
}

TEST_F(Win32FormWindowTest, ShownCentredWithTheFocusOnTheFirstControlAndTabInTableOrder) {
  RecordingForm form;
  Win32FormWindow window(form, host_);
  window.ShowCentred();
  RECT rect{};
  GetWindowRect(window.Handle(), &rect);
  EXPECT_NEAR((rect.left + rect.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((rect.top + rect.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_EQ(GetFocus(), Control(window, "txtBox"));
  // Tab goes through the controls that take the focus, in tab order (hidden ones skipped).
  std::vector<HWND> order;
  HWND at = Control(window, "cmbList");
  for (int i = 0; i < 5; ++i) {
    at = GetNextDlgTabItem(window.Handle(), at, FALSE);
    order.push_back(GetAncestor(at, GA_PARENT) == window.Handle() ? at : GetParent(at));
  }
  const std::vector<HWND> expected = {Control(window, "txtBox"), Control(window, "btnGo"),
                                      Control(window, "lstItems"), Control(window, "txtShow"),
                                      Control(window, "cmbList")};
  EXPECT_EQ(order, expected);
}

TEST_F(Win32FormWindowTest, FontsAreTheClassicDialogFontOrTheControlsOwnAtEveryScaling) {
  struct Case {
    int dpi;
    const char* control;
    LONG height;
    LONG weight;
  };
  for (const Case c : {Case{96, "txtBox", -11, FW_NORMAL}, Case{96, "lblBold", -13, FW_BOLD},
                       Case{120, "txtBox", -13, FW_NORMAL}, Case{120, "lblBold", -16, FW_BOLD},
                       Case{144, "txtBox", -16, FW_NORMAL}, Case{144, "lblBold", -20, FW_BOLD}}) {
    SCOPED_TRACE(::testing::Message() << c.dpi << " dpi, " << c.control);
    Win32FormHost host(GetModuleHandleW(nullptr), c.dpi);
    RecordingForm form;
    Win32FormWindow window(form, host);
    LOGFONTW font{};
    auto handle =
        reinterpret_cast<HFONT>(SendMessageW(Control(window, c.control), WM_GETFONT, 0, 0));
    ASSERT_NE(handle, nullptr);
    GetObjectW(handle, sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(font.lfHeight, c.height);
    EXPECT_EQ(font.lfWeight, c.weight);
  }
}

TEST_F(Win32FormWindowTest, TextsAndListsRoundTripAsAnsiBytes) {
  RecordingForm form;
  Win32FormWindow window(form, host_);
  forms::FormView& view = window;
  const std::string accented = "Caf\xe9 & na\xefve";
  view.SetText(Ctl::txtBox, accented);
  EXPECT_EQ(view.Text(Ctl::txtBox), accented);
  view.SetText(Ctl::lblName, accented);
  EXPECT_EQ(view.Text(Ctl::lblName), accented);
  view.SetCaption("Other");
  wchar_t caption[32] = {};
  GetWindowTextW(window.Handle(), caption, 32);
  EXPECT_STREQ(caption, L"Other");

  for (const Ctl list : {Ctl::cmbList, Ctl::lstItems}) {
    SCOPED_TRACE(kControls[static_cast<int>(list)].Name);
    view.AddItem(list, "b");
    view.AddItem(list, "d");
    view.InsertItem(list, 0, "a");
    view.InsertItem(list, 2, accented);
    ASSERT_EQ(view.ItemCount(list), 4);
    EXPECT_EQ(view.ItemText(list, 0), "a");
    EXPECT_EQ(view.ItemText(list, 1), "b");
    EXPECT_EQ(view.ItemText(list, 2), accented);
    EXPECT_EQ(view.ItemText(list, 3), "d");
  }
  // A combo box shows the entry made current; none current leaves its text alone.
  view.SetListIndex(Ctl::cmbList, 1);
  EXPECT_EQ(view.Text(Ctl::cmbList), "b");
  view.SetText(Ctl::cmbList, "typed");
  view.SetListIndex(Ctl::cmbList, -1);
  EXPECT_EQ(view.Text(Ctl::cmbList), "typed");
  view.SetListIndex(Ctl::lstItems, 3);
  EXPECT_EQ(SendMessageW(Control(window, "lstItems"), LB_GETCURSEL, 0, 0), 3);
  EXPECT_TRUE(form.events.empty()) << "setting a list raises no click";

  view.SetEnabled(Ctl::btnOff, true);
  view.SetVisible(Ctl::btnOff, true);
  EXPECT_TRUE(IsWindowEnabled(Control(window, "btnOff")));
  EXPECT_NE(GetWindowLongPtrW(Control(window, "btnOff"), GWL_STYLE) & WS_VISIBLE, 0);
  // Another form's control with a row this form has, and no control at all.
  enum class Elsewhere { lblName };
  EXPECT_THROW(view.Text(Elsewhere::lblName), std::invalid_argument);
  EXPECT_THROW(view.Text(forms::ControlId()), std::invalid_argument);
}

TEST_F(Win32FormWindowTest, ClicksPicksAndFocusChangesReachTheFormInOneCallEach) {
  RecordingForm form;
  Win32FormWindow window(form, host_);
  form.Attach(window);
  window.ShowCentred();
  forms::FormView& view = window;
  view.AddItem(Ctl::cmbList, "first");
  view.AddItem(Ctl::cmbList, "second");

  SendMessageW(Control(window, "btnGo"), BM_CLICK, 0, 0);
  // A pick from the list: the form reads the picked text already.
  form.onClick = [](forms::FormView& v, forms::ControlId control) {
    if (control == Ctl::cmbList) v.SetText(Ctl::txtShow, v.Text(Ctl::cmbList));
  };
  SendMessageW(Control(window, "cmbList"), CB_SETCURSEL, 1, 0);
  SendMessageW(window.Handle(), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(Control(window, "cmbList")), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Control(window, "cmbList")));
  EXPECT_EQ(view.Text(Ctl::txtShow), "second");
  // The focus moving from the text box to a button of the same form.
  SetFocus(Control(window, "txtBox"));
  SetFocus(Control(window, "btnGo"));
  Pump();
  // A press takes the focus to the button first, as a mouse press does.
  const std::vector<std::string> expected = {"LostFocus txtBox", "Click btnGo", "Click cmbList",
                                             "LostFocus btnGo", "LostFocus txtBox"};
  EXPECT_EQ(form.events, expected);
  form.Detach();
}

TEST_F(Win32FormWindowTest, ModalFormRunsUntilUnloadedAndUnloadsOnceWhileControlsExist) {
  RecordingForm form;
  form.onLoad = [](forms::FormView& view) { view.SetText(Ctl::txtBox, "kept"); };
  // Pressing Go closes the form; the press is queued as the window system would deliver it.
  form.onClick = [](forms::FormView& view, forms::ControlId control) {
    if (control == Ctl::btnGo) view.Close();
  };
  After(50,
        [] { PostMessageW(GetDlgItem(GetAncestor(GetFocus(), GA_ROOT), 106), BM_CLICK, 0, 0); });
  host_.ShowModal(form);
  const std::vector<std::string> expected = {"Load", "LostFocus txtBox", "Click btnGo",
                                             "Unload kept"};
  EXPECT_EQ(form.events, expected);
  EXPECT_FALSE(form.Attached());
  EXPECT_EQ(host_.WindowCount(), 0);
}

TEST_F(Win32FormWindowTest, EnterPressesOnlyAFocusedButtonAndEscapePressesNothing) {
  RecordingForm form;
  form.onClick = [](forms::FormView& view, forms::ControlId control) {
    if (control == Ctl::btnGo) view.Close();
  };
  After(50, [] {
    HWND text = GetDlgItem(TestFormWindow(), 103);
    HWND go = GetDlgItem(TestFormWindow(), 106);
    // In the text box (the first focus) neither key presses a button.
    PostKey(text, VK_RETURN);
    PostKey(text, VK_ESCAPE);
    PostKey(go, VK_ESCAPE);
    // Enter on the focused button presses it.
    After(100, [go] {
      SetFocus(go);
      PostKey(go, VK_RETURN);
    });
  });
  host_.ShowModal(form);
  const std::vector<std::string> expected = {"Load", "LostFocus txtBox", "Click btnGo", "Unload "};
  EXPECT_EQ(form.events, expected);
}

TEST_F(Win32FormWindowTest, ACloseFromTheWindowSystemUnloadsTheFormToo) {
  RecordingForm form;
  host_.ShowModeless(form);
  ASSERT_EQ(host_.WindowCount(), 1);
  HWND hwnd = TestFormWindow();
  ASSERT_NE(hwnd, nullptr);
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  const std::vector<std::string> expected = {"Load", "Unload "};
  EXPECT_EQ(form.events, expected);
  EXPECT_EQ(host_.WindowCount(), 0);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Win32FormWindowTest, AFailureInAHandlerEndsTheModalLoopAndIsThrownFromShowModal) {
  RecordingForm form;
  form.onClick = [](forms::FormView&, forms::ControlId) {
    throw std::runtime_error("handler failed");
  };
  After(50, [] { PostMessageW(GetDlgItem(TestFormWindow(), 106), BM_CLICK, 0, 0); });
  EXPECT_THROW(host_.ShowModal(form), std::runtime_error);
  EXPECT_EQ(host_.WindowCount(), 0);
}

TEST_F(Win32FormWindowTest, AModalFormDisablesTheOtherWindowsWhileShown) {
  RecordingForm background;
  host_.ShowModeless(background);
  HWND behind = TestFormWindow();
  RecordingForm dialog;
  bool disabledMeanwhile = false;
  dialog.onLoad = [&](forms::FormView& view) {
    disabledMeanwhile = !IsWindowEnabled(behind);
    view.Close();
  };
  host_.ShowModal(dialog);
  EXPECT_TRUE(disabledMeanwhile);
  EXPECT_TRUE(IsWindowEnabled(behind));
  background.TheView().Close();
  EXPECT_EQ(host_.WindowCount(), 0);
}

// Enter held down repeats with bit 30 set (the key was already down); Ctrl and Alt are read
// from the thread's keyboard state, as the message loop sees them.
TEST_F(Win32FormWindowTest, EnterPressesAButtonOnlyOnAFreshPressWithoutCtrlOrAlt) {
  struct Case {
    const char* what;
    LPARAM flags;
    BYTE modifier;
    bool pressed;
  };
  for (const Case c :
       {Case{"a fresh press", 1, 0, true},
        Case{"a repeat of a held key", 1 | (LPARAM{1} << 30), 0, false},
        Case{"Ctrl+Enter", 1, VK_CONTROL, false}, Case{"Enter with Alt down", 1, VK_MENU, false}}) {
    SCOPED_TRACE(c.what);
    BYTE keys[256] = {};
    if (c.modifier != 0) keys[c.modifier] = 0x80;
    SetKeyboardState(keys);
    RecordingForm form;
    After(50, [flags = c.flags] {
      HWND go = GetDlgItem(TestFormWindow(), 106);
      SetFocus(go);
      PostKey(go, VK_RETURN, flags);
      PostMessageW(TestFormWindow(), WM_CLOSE, 0, 0);
    });
    host_.ShowModal(form);
    const BYTE none[256] = {};
    SetKeyboardState(const_cast<BYTE*>(none));
    const bool clicked =
        std::find(form.events.begin(), form.events.end(), "Click btnGo") != form.events.end();
    EXPECT_EQ(clicked, c.pressed);
  }
}

// What takes the activation away from a form and gives it back: a message box, another
// window (as another program's would), a modal form of the program closing.
enum class Interruption { kMessageBox, kOtherWindow, kModalForm };

void Interrupt(Interruption how, Win32FormHost& host, HWND form) {
  switch (how) {
    case Interruption::kMessageBox: {
      After(100, [] { SendMessageW(FindWindowW(L"#32770", L"A Message"), WM_COMMAND, IDOK, 0); });
      Win32MessageBoxes boxes(L"A Message");
      boxes.Show("Shown over the form", MessageIcon::kWarning, MessageButtons::kOk);
      break;
    }
    case Interruption::kOtherWindow: {
      HWND other = CreateWindowExW(0, L"STATIC", L"Other", WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0,
                                   200, 100, nullptr, nullptr, nullptr, nullptr);
      SetActiveWindow(other);
      SetFocus(other);
      // Back to the form, as a click on its title bar does.
      SetActiveWindow(form);
      DestroyWindow(other);
      break;
    }
    case Interruption::kModalForm: {
      forms::FormLayout layout = kLayout;
      layout.Caption = "Modal Form";
      RecordingForm modal(layout);
      After(100, [] { PostMessageW(FindWindowW(L"VornForm", L"Modal Form"), WM_CLOSE, 0, 0); });
      host.ShowModal(modal);
      break;
    }
  }
}

TEST_F(Win32FormWindowTest, TheFocusComesBackToItsControlWithoutALostFocusUntilTheUserMovesOn) {
  struct Case {
    Interruption how;
    const char* control;
  };
  for (const Case c :
       {Case{Interruption::kMessageBox, "txtBox"}, Case{Interruption::kMessageBox, "btnGo"},
        Case{Interruption::kOtherWindow, "txtBox"}, Case{Interruption::kOtherWindow, "cmbList"},
        Case{Interruption::kModalForm, "txtBox"}}) {
    SCOPED_TRACE(::testing::Message() << static_cast<int>(c.how) << " " << c.control);
    RecordingForm form;
    host_.ShowModeless(form);
    HWND window = TestFormWindow();
    ASSERT_NE(window, nullptr);
    HWND control = Control(dynamic_cast<Win32FormWindow&>(form.TheView()), c.control);
    // A combo box holds the focus in its text field.
    COMBOBOXINFO combo{};
    combo.cbSize = sizeof combo;
    if (GetComboBoxInfo(control, &combo)) control = combo.hwndItem;
    SetFocus(control);
    Pump();
    form.events.clear();

    Interrupt(c.how, host_, window);
    Pump();
    EXPECT_EQ(GetActiveWindow(), window);
    EXPECT_EQ(GetFocus(), control);
    EXPECT_TRUE(form.events.empty()) << form.events.front();

    // Moving on then takes the focus out of the control, as without the interruption: a
    // click on Go, or from Go on to the text box.
    std::vector<std::string> expected = {"LostFocus " + std::string(c.control)};
    const auto& view = dynamic_cast<Win32FormWindow&>(form.TheView());
    if (std::string(c.control) == "btnGo") {
      SetFocus(Control(view, "txtBox"));
    } else {
      SendMessageW(Control(view, "btnGo"), BM_CLICK, 0, 0);
      expected.push_back("Click btnGo");
    }
    Pump();
    EXPECT_EQ(form.events, expected);
    form.TheView().Close();
  }
}

// The one form window this thread shows.
HWND ShownFormWindow() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM data) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(hwnd, name, 16);
        if (std::wstring(name) == L"VornForm" && IsWindowVisible(hwnd))
          *reinterpret_cast<HWND*>(data) = hwnd;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Each label of the shown form holds its whole text: measured in the label's own font, on one
// line or wrapped at its width as the label draws it.
void ExpectWholeTexts(const forms::FormLayout& layout) {
  HWND window = ShownFormWindow();
  ASSERT_NE(window, nullptr) << layout.Name;
  for (std::size_t i = 0; i < layout.Controls.size(); ++i) {
    const ControlLayout& control = layout.Controls[i];
    if (control.Kind != ControlKind::kLabel) continue;
    HWND label = GetDlgItem(window, 100 + static_cast<int>(i));
    ASSERT_NE(label, nullptr) << control.Name;
    wchar_t text[512] = {};
    const int length = GetWindowTextW(label, text, 512);
    if (length == 0) continue;
    RECT room{};
    GetClientRect(label, &room);
    const bool oneLine = (GetWindowLongPtrW(label, GWL_STYLE) & SS_TYPEMASK) == SS_LEFTNOWORDWRAP;
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, room.right, 0};
    DrawTextW(dc, text, length, &needed,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (oneLine ? DT_SINGLELINE : DT_WORDBREAK));
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    EXPECT_LE(needed.right, room.right) << layout.Name << "." << control.Name;
    EXPECT_LE(needed.bottom, room.bottom) << layout.Name << "." << control.Name;
  }
}

// The program's own forms at 100 %, 125 % and 150 %, with the texts they write when they load.
TEST_F(Win32FormWindowTest, EveryFormsLabelsShowTheirWholeTextAtEveryScaling) {
  ::vorn::testing::RecordingPrinterService printers;
  ::vorn::testing::RecordingMessageBoxes messages;
  for (const int dpi : kDpis) {
    SCOPED_TRACE(dpi);
    Win32FormHost host(GetModuleHandleW(nullptr), dpi);
    print::PrintSettings settings;
    settings.PrinterName = printers.defaultPrinter;
    settings.FontName = "Courier New";
    settings.Copies = 1;
    bool cancelled = false;
    print::frmControls progress;
    print::frmPrinterChoice choice(settings, cancelled, printers, messages, [] {});
    print::frmPrinterFont font(settings, printers, cancelled);
    for (forms::Form* form : std::initializer_list<forms::Form*>{&progress, &choice, &font}) {
      host.ShowModeless(*form);
      ExpectWholeTexts(form->Layout());
      SendMessageW(ShownFormWindow(), WM_CLOSE, 0, 0);
    }
    autoconfig::TesmoContext tesmo(messages, autoconfig::SystemTreeSearch(),
                                   autoconfig::SystemLauncher());
    autoconfig::frmMain status(tesmo, host);
    status.Show();
    ExpectWholeTexts(status.Layout());
    // What Tesmo's run writes into its status window once it is done.
    status.SetTitle("Vorn Auto Config");
    status.SetStatus("Configuration complete!");
    ExpectWholeTexts(status.Layout());
    SendMessageW(ShownFormWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(host.WindowCount(), 0);
  }
}

}  // namespace
}  // namespace vorn::win32
