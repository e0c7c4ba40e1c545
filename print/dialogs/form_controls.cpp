#include "print/dialogs/form_controls.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

#include "common/ansi_text.h"

namespace vorn::print {

int TwipsToPixels(int twips) { return (twips + 7) / 15; }

void PlaceWidget(QWidget* control, const char* name, int left, int top, int width, int height) {
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                       TwipsToPixels(height));
}

void MakeDisplayOnly(QLineEdit* box) {
  box->setReadOnly(true);
  QPalette palette = box->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Button));
  box->setPalette(palette);
}

void MakeDropDownCombo(QComboBox* combo) {
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setCompleter(nullptr);
  // QComboBox treats leaving or confirming a typed text that equals an entry as picking that
  // entry; here typing is only typing.
  QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
}

QLabel* NewLabel(QWidget* parent, const QString& caption, Qt::AlignmentFlag horizontal) {
  auto* label = new QLabel(caption, parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(horizontal | Qt::AlignTop);
  return label;
}

namespace {

// A command button that Enter presses while it has the focus, like Space. It is never the
// window's default button, so Enter typed anywhere else presses nothing.
class CommandButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !event->isAutoRepeat()) {
      click();
      return;
    }
    QPushButton::keyPressEvent(event);
  }
};

}  // namespace

QPushButton* NewCommandButton(QWidget* parent, const QString& caption) {
  QPushButton* button = new CommandButton(caption, parent);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

QString FromAnsi(std::string_view ansi) { return QString::fromStdString(AnsiToUtf8(ansi)); }

std::string ToAnsi(const QString& text) { return Utf8ToAnsi(text.toStdString()); }

std::string_view TrimBlanks(std::string_view text) {
  auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace vorn::print
