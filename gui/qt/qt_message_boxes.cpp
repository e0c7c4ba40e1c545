#include "gui/qt/qt_message_boxes.h"

#include <QMessageBox>

namespace vorn::gui {

MessageAnswer QtMessageBoxes::Show(const std::string& text, MessageIcon icon,
                                   MessageButtons buttons) {
  QMessageBox box;
  box.setWindowTitle(title_);
  box.setText(QString::fromStdString(text));
  switch (icon) {
    case MessageIcon::kNone:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case MessageIcon::kInformation:
      box.setIcon(QMessageBox::Information);
      break;
    case MessageIcon::kWarning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MessageIcon::kCritical:
      box.setIcon(QMessageBox::Critical);
      break;
  }
  if (buttons == MessageButtons::kOkCancel) {
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
  }
  return box.exec() == QMessageBox::Ok ? MessageAnswer::kOk : MessageAnswer::kCancel;
}

}  // namespace vorn::gui
