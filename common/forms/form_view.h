#pragma once

#include <string>

#include "common/forms/form_layout.h"

namespace vorn::forms {

// What a form's logic asks of its window. A front end realises it with the controls it built
// from the form's layout; tests record it. Controls are the form's enumerators; a control the form
// does not have throws std::invalid_argument (forms::GetControl). Texts are ANSI bytes (the front
// end converts them for the screen).
class FormView {
 public:
  virtual ~FormView() = default;

  // The window's caption.
  virtual void SetCaption(const std::string& text) = 0;

  // A label's or button's caption, a text box's text, or a combo box's text field.
  virtual void SetText(ControlId control, const std::string& text) = 0;
  virtual std::string Text(ControlId control) const = 0;

  // The list of a combo box or list box.
  virtual void AddItem(ControlId control, const std::string& text) = 0;
  virtual void InsertItem(ControlId control, int index, const std::string& text) = 0;
  virtual int ItemCount(ControlId control) const = 0;
  virtual std::string ItemText(ControlId control, int index) const = 0;
  // Makes entry `index` the list's current entry (a combo box also shows it in its text
  // field); -1 makes none current and leaves a combo box's text alone. A list box brings the
  // entry into view. Raises no click.
  virtual void SetListIndex(ControlId control, int index) = 0;

  virtual void SetEnabled(ControlId control, bool enabled) = 0;
  virtual void SetVisible(ControlId control, bool visible) = 0;

  // Draws what the window shows now, even while the program keeps its event loop waiting;
  // takes no input from the user.
  virtual void Repaint() = 0;

  // The application-wide mouse pointer: busy (hourglass) or normal.
  virtual void SetBusyPointer(bool busy) = 0;

  // Unloads the form: the window closes and the form's Form_Unload runs.
  virtual void Close() = 0;
};

}  // namespace vorn::forms
