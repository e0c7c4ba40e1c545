#include "dialog_driver.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace vorn::print::test {

void Click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }

void TypeInto(QLineEdit* box, const QString& text) {
  Click(box);
  box->selectAll();
  if (text.isEmpty()) QTest::keyClick(box, Qt::Key_Backspace);
  for (QChar c : text) {
    if (c.unicode() < 0x80)
      QTest::keyClick(box, c.toLatin1());
    else  // no key on the keyboard map: the character alone, as an input method sends it
      QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

void TypeInto(QComboBox* combo, const QString& text) { TypeInto(combo->lineEdit(), text); }

bool PickFromList(QComboBox* combo, int row) {
  combo->showPopup();
  QAbstractItemView* list = combo->view();
  if (!QTest::qWaitFor([list] { return list->isVisible(); }, 2000)) return false;
  const QRect place = list->visualRect(combo->model()->index(row, 0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
  return QTest::qWaitFor([list] { return !list->isVisible(); }, 2000);
}

void CloseByWindowSystem(QWidget* window) { window->windowHandle()->close(); }

void PressKey(Qt::Key key) {
  QWidget* target = QApplication::focusWidget();
  if (auto* combo = qobject_cast<QComboBox*>(target); combo && combo->lineEdit())
    target = combo->lineEdit();
  QTest::keyClick(target, key);
}

bool PressKeyIn(QWidget& form, const QString& name, Qt::Key key) {
  auto* control = form.findChild<QWidget*>(name);
  if (!control) return false;
  control->setFocus(Qt::TabFocusReason);
  if (FocusName() != name) return false;
  PressKey(key);
  return true;
}

QStringList TabWalk(int presses) {
  QStringList visited;
  for (int i = 0; i < presses; ++i) {
    PressKey(Qt::Key_Tab);
    visited.append(FocusName());
  }
  return visited;
}

QString FocusName() {
  QWidget* focus = QApplication::focusWidget();
  if (!focus) return QStringLiteral("(none)");
  if (auto* combo = qobject_cast<QComboBox*>(focus->parentWidget());
      combo && combo->lineEdit() == focus)
    return combo->objectName();
  return focus->objectName();
}

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
  return items;
}

}  // namespace vorn::print::test
