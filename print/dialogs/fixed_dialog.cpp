#include "print/dialogs/fixed_dialog.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include "gui/classic_font.h"
#include "print/dialogs/form_controls.h"

namespace vorn::print {

FixedDialog::FixedDialog(const char* formName, int clientWidthTwips, int clientHeightTwips)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QString::fromLatin1(formName));
  setFont(gui::ClassicFont());
  setWindowModality(Qt::ApplicationModal);
  setSizeGripEnabled(false);
  setFixedSize(TwipsToPixels(clientWidthTwips), TwipsToPixels(clientHeightTwips));
}

void FixedDialog::reject() {}

void FixedDialog::showEvent(QShowEvent* event) {
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (screen) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
  }
  QDialog::showEvent(event);
}

}  // namespace vorn::print
