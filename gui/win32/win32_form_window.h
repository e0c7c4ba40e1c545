#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/forms/form.h"
#include "common/forms/form_view.h"

namespace vorn::win32 {

class Win32FormHost;

// One window built from a form's layout with CreateWindowExW: a top-level window with no owner
// and the form's border, its controls at their twips converted to pixels at the host's dots
// per inch, the classic dialog font at the same, focusable controls in tab order. Events are
// forwarded to the form in one call each. Like a dialog, the window remembers which control
// had the focus when it was deactivated and gives it back when it is activated again.
class Win32FormWindow final : public forms::FormView {
 public:
  Win32FormWindow(forms::Form& form, Win32FormHost& host);
  ~Win32FormWindow() override;
  Win32FormWindow(const Win32FormWindow&) = delete;
  Win32FormWindow& operator=(const Win32FormWindow&) = delete;

  // Registers the window class of every form window; once per process.
  static void RegisterClass(HINSTANCE instance);

  HWND Handle() const { return hwnd_; }
  bool Alive() const { return hwnd_ != nullptr; }
  forms::Form& Form() const { return form_; }

  // Centres the window on the screen, shows and activates it and puts the focus on the form's
  // first control.
  void ShowCentred();

  // Windows this one disabled while it runs modally; enabled again when it unloads.
  void SetDisabledWhileShown(std::vector<HWND> windows) { disabled_ = std::move(windows); }

  // The form's command button `button` holds the focus: presses it (Enter on a button).
  bool IsButton(HWND control) const;
  void Press(HWND button);
  // Whether the focus is in a combo box whose list is open (it takes Enter and Escape).
  bool IsListOpen(HWND focus) const;

  // FormView
  void SetCaption(const std::string& text) override;
  void SetText(forms::ControlId control, const std::string& text) override;
  std::string Text(forms::ControlId control) const override;
  void AddItem(forms::ControlId control, const std::string& text) override;
  void InsertItem(forms::ControlId control, int index, const std::string& text) override;
  int ItemCount(forms::ControlId control) const override;
  std::string ItemText(forms::ControlId control, int index) const override;
  void SetListIndex(forms::ControlId control, int index) override;
  void SetEnabled(forms::ControlId control, bool enabled) override;
  void SetVisible(forms::ControlId control, bool visible) override;
  void Repaint() override;
  void SetBusyPointer(bool busy) override;
  void Close() override;

 private:
  struct Control {
    const forms::ControlLayout* Layout;
    HWND Hwnd;
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Controls that take the focus are subclassed to see the focus leave them.
  void Subclass(HWND control);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Build();
  void AddControl(const forms::ControlLayout& layout, int dpi);
  void OnCommand(int id, int code);
  // The focus left `hwnd` (a control of this form or a part of one) for `next`.
  void OnFocusLeft(HWND hwnd, HWND next);
  // Activated again: the control that had the focus gets it back, without any focus event.
  bool RestoreFocus();
  // Runs an event handler of the form; a failure is handed to the host, which ends its loops.
  template <typename Handler>
  void Forward(Handler handler);
  void Unload();

  // The control built for `control`; Get throws std::invalid_argument (forms::GetControl) when
  // the form has no such control.
  const Control* Find(forms::ControlId control) const;
  const Control& Get(forms::ControlId control) const;
  const Control* Owning(HWND hwnd) const;

  forms::Form& form_;
  Win32FormHost& host_;
  HWND hwnd_ = nullptr;
  std::vector<Control> controls_;
  std::vector<HFONT> fonts_;
  std::vector<HWND> disabled_;
  HWND lastFocus_ = nullptr;  // the control that had the focus when the window was deactivated
  bool unloading_ = false;
};

}  // namespace vorn::win32
