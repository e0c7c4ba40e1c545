#pragma once

#include "common/forms/form_layout.h"
#include "common/forms/form_view.h"

namespace vorn::forms {

// A form's logic: its layout, its own variables and its event handlers, free of any toolkit.
// A front end builds the window from Layout(), attaches itself as the view, calls Form_Load and
// then forwards each event in one call. Closing the window by any path (the form's own
// Close() or the window system) calls Form_Unload once, while the controls still exist.
class Form {
 public:
  virtual ~Form() = default;

  virtual const FormLayout& Layout() const = 0;

  void Attach(FormView& view) { view_ = &view; }
  void Detach() { view_ = nullptr; }
  bool Attached() const { return view_ != nullptr; }

  virtual void Form_Load() {}
  virtual void Form_Unload() {}

  // A command button pressed, or an entry picked from a combo box's or list box's list.
  virtual void Click(ControlId /*control*/) {}
  // The focus left `control` for another control of this form (not for another window).
  virtual void LostFocus(ControlId /*control*/) {}

 protected:
  // The attached window; only valid between Attach and Detach.
  FormView& View() const { return *view_; }

 private:
  FormView* view_ = nullptr;
};

// How a front end shows forms and runs their event loops. A failure that escapes a form's
// event handler ends every loop the host runs and is thrown again from ShowModal or
// RunUntilNoWindow, outside the window system's call-backs, so it reaches the program's main
// like any other failure; no form is unloaded on the way.
class FormHost {
 public:
  virtual ~FormHost() = default;
  // Loads `form` in a new window with no owner, centred on the screen, and runs it modally;
  // returns once it has been unloaded.
  virtual void ShowModal(Form& form) = 0;
  // Loads `form` in a new window, centred on the screen, and shows it without waiting. The
  // window lives until the form closes it.
  virtual void ShowModeless(Form& form) = 0;
  // Runs the event loop until no window the host showed is left (the program's end); returns
  // at once when none is on screen.
  virtual void RunUntilNoWindow() = 0;
};

}  // namespace vorn::forms
