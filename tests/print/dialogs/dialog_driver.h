#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QWidget;

namespace vorn::print::test {

// Works the controls of a shown dialog the way a person would: with the mouse and keyboard,
// so that focus changes (and the handlers tied to them) happen as they would for a user.

// Clicks the control; a button is pressed, a box takes the focus.
void Click(QWidget* control);
// Clicks into the box, selects its text and types `text` over it (an empty text clears it).
void TypeInto(QLineEdit* box, const QString& text);
void TypeInto(QComboBox* combo, const QString& text);
// Opens the list and clicks entry `row`. False when the list did not open or close.
bool PickFromList(QComboBox* combo, int row);
// Asks the window system to close the window, as its close command or Alt+F4 would.
void CloseByWindowSystem(QWidget* window);
// Sends one key press and release to whatever has the focus.
void PressKey(Qt::Key key);
// Gives the focus to the control named `name` in `form` (as Tab would) and presses `key`
// there. False, with nothing pressed, when no such control takes the focus.
bool PressKeyIn(QWidget& form, const QString& name, Qt::Key key);
// The object names of the widgets the focus visits, pressing Tab `presses` times.
QStringList TabWalk(int presses);
// The name of the control that has the focus (a combo box for its own text field).
QString FocusName();
// Every item of the combo's list, in order.
QStringList Items(const QComboBox* combo);

}  // namespace vorn::print::test
