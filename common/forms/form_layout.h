#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace vorn::forms {

// A form's layout as it was designed: positions and sizes in twips (1/1440 inch, 15 to a pixel
// at 96 dots per inch), captions, alignment, fonts, tab order and initial states. Both front
// ends build their windows from these tables, and the end-to-end scripts read them through
// the programs' layout listing.

enum class ControlKind {
  kLabel,          // a caption; takes no focus
  kFrame,          // a group frame; takes no focus; controls inside it are placed relative to it
  kComboBox,       // a drop-down combo box: an editable text field and a list
  kTextBox,        // a one-line text box
  kCommandButton,  // a push button; never the window's default or cancel button
  kListBox,        // a list box with single selection, items in the order added
};

enum class TextAlign { kLeft, kRight, kCentre };

// The form's frame and title bar. None has a system menu, a close, minimise or maximise
// button, and none can be resized.
enum class FormBorder {
  kFixedDialog,            // a dialog frame with a title bar
  kFixedSingle,            // a thin single-line border with a title bar
  kFixedSingleNoTitleBar,  // a thin single-line border and nothing else
};

// A font other than the form's default ("MS Sans Serif" 8 pt).
struct ControlFont {
  const char* Face = nullptr;  // null: the form's default font
  double Points = 0;
  bool Bold = false;
};

struct ControlLayout {
  const char* Name;
  ControlKind Kind;
  const char* Caption;    // the text the control starts with ("" for none)
  const char* Container;  // the frame it sits in, or null for the form's client area
  int Left;
  int Top;
  int Width;
  int Height;
  int TabIndex;
  TextAlign Align = TextAlign::kLeft;
  bool WordWrap = false;     // a label whose text wraps to its width
  bool DisplayOnly = false;  // a text box the form writes and never reads back
  bool Enabled = true;
  bool Visible = true;
  ControlFont Font = {};
};

struct FormLayout {
  const char* Name;
  const char* Caption;  // the caption stored with the window
  int ClientWidth;      // twips
  int ClientHeight;     // twips
  FormBorder Border;
  std::span<const ControlLayout> Controls;
  const char* FirstFocus;  // the control that has the focus when the form opens, or null
};

// A rectangle in twips or pixels.
struct Rect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;

  bool operator==(const Rect&) const = default;
};

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel: the one rule every
// window uses, so the same twips land on the same pixel everywhere.
int TwipsToPixels(int twips, int dpi = 96);

// The control named `name`, or null.
const ControlLayout* FindControl(const FormLayout& form, std::string_view name);

// The control's rectangle in twips relative to the form's client area (its frame's position
// added when it sits in one).
Rect ClientTwips(const FormLayout& form, const ControlLayout& control);

// The same in pixels; each edge is converted on its own, so neighbouring controls that touch in
// twips also touch in pixels.
Rect ClientPixels(const FormLayout& form, const ControlLayout& control, int dpi = 96);

// Whether the control can hold the focus (labels and frames never do).
bool TakesFocus(const ControlLayout& control);

// The controls that take the focus, in tab order.
std::vector<const ControlLayout*> FocusOrder(const FormLayout& form);

}  // namespace vorn::forms
