#pragma once

#include <QString>
#include <string>
#include <string_view>

#include <Qt>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace vorn::print {

// Form layouts are kept in twips, as the forms were designed: 15 twips make one logical pixel,
// and Qt scales logical pixels for high-DPI screens.
int TwipsToPixels(int twips);

// Names `control` and places it in its parent (the form's client area, or the frame it sits in).
template <typename Control>
Control* Place(Control* control, const char* name, int left, int top, int width, int height);

void PlaceWidget(QWidget* control, const char* name, int left, int top, int width, int height);

// A text box the form writes and never reads back: read-only, on the button-face colour.
void MakeDisplayOnly(QLineEdit* box);

// A drop-down combo box with an editable text field. Only a pick from the list (with the mouse
// or the arrow keys) raises `activated`; typing never picks, completes or adds an entry, not
// even when the typed text equals an entry.
void MakeDropDownCombo(QComboBox* combo);

// A label whose text is always shown as it is, never read as markup (printer and font names
// may hold anything), aligned to the top.
QLabel* NewLabel(QWidget* parent, const QString& caption, Qt::AlignmentFlag horizontal);

// A command button that is never the dialog's default button: Enter presses it only while it
// has the focus, and Enter typed in another control presses nothing.
QPushButton* NewCommandButton(QWidget* parent, const QString& caption);

// Settings and printer texts are ANSI bytes; controls hold Unicode.
QString FromAnsi(std::string_view ansi);
std::string ToAnsi(const QString& text);

// The text without leading and trailing blanks (tabs and other white space are kept).
std::string_view TrimBlanks(std::string_view text);

template <typename Control>
Control* Place(Control* control, const char* name, int left, int top, int width, int height) {
  PlaceWidget(control, name, left, top, width, height);
  return control;
}

}  // namespace vorn::print
