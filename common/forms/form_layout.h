#pragma once

#include <cstddef>
#include <span>
#include <type_traits>
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

// The enum class a form names its controls in: one enumerator per row of its layout table, in
// the table's order.
template <typename Enum>
concept ControlEnum = std::is_enum_v<Enum> && !std::is_convertible_v<Enum, int>;

namespace detail {
// One address per form's enum class, so that a control of one form is never taken for another's.
template <typename Enum>
inline constexpr char kFormOf = 0;
}  // namespace detail

// A control of a form, made from the form's enumerator: which form's enum it comes from and the
// row it names. The default value names no control.
class ControlId {
 public:
  constexpr ControlId() = default;
  template <ControlEnum Enum>
  constexpr ControlId(Enum control)  // implicit: a form names a control by its enumerator
      : form_(&detail::kFormOf<Enum>), row_(static_cast<int>(control)) {}

  // The row of the form's layout table, or -1 for no control.
  constexpr int Row() const { return row_; }
  constexpr bool IsNone() const { return form_ == nullptr; }

  friend constexpr bool operator==(const ControlId&, const ControlId&) = default;

 private:
  const void* form_ = nullptr;
  int row_ = -1;
};

// One row of a form's layout table, written with designated initializers:
//   {.Id = Control::btnOK, .Name = "btnOK", .Kind = ControlKind::kCommandButton, ...}
struct ControlLayout {
  ControlId Id;      // the form's enumerator for this row
  const char* Name;  // the control's own name: the window system's object name
  ControlKind Kind;
  const char* Caption = "";  // the text the control starts with ("" for none)
  ControlId Container = {};  // the frame it sits in, or none for the form's client area
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int TabIndex = 0;
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
  ControlId FirstFocus = {};  // the control that has the focus when the form opens, or none
};

// Whether row i of `rows` is the enumerator with the value i, for every row: a form checks its
// table with it at compile time, so a row and its enumerator cannot drift apart.
template <ControlEnum Enum, std::size_t N>
constexpr bool RowsFollow(const ControlLayout (&rows)[N]) {
  for (std::size_t i = 0; i < N; ++i)
    if (rows[i].Id != ControlId(static_cast<Enum>(i))) return false;
  return true;
}

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

// The row of `control`, or null when the form has no such control.
const ControlLayout* FindControl(const FormLayout& form, ControlId control);
// The row of `control`; throws std::invalid_argument when the form has no such control. Every
// window fails this way on a control its form does not have.
const ControlLayout& GetControl(const FormLayout& form, ControlId control);

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
