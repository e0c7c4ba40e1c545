#include "gui/qt/qt_message_boxes.h"

#include <QMessageBox>

namespace vorn::gui {

MessageAnswer QtMessageBoxes::Show(const std::string& text, MessageIcon icon,
                                   MessageButtons buttons) {
  QMessageBox box;
  box.setWindowTitle(title_);
  box.setText(QString::fromStdString(text));
  // In the order of MessageIcon.
  static constexpr QMessageBox::Icon kIcons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                                 QMessageBox::Warning, QMessageBox::Critical};
  box.setIcon(kIcons[static_cast<int>(icon)]);
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
