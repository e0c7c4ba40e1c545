#pragma once

#include <QDialog>

namespace vorn::print {

// A modal dialog with no owner window: a fixed frame that cannot be resized, a title bar
// without system menu, close, minimise or maximise buttons, centred on the screen when shown.
// No button is a default or cancel button, so neither Enter nor Escape closes it; only the
// form's own buttons and the window system do.
class FixedDialog : public QDialog {
  Q_OBJECT

 public:
  FixedDialog(const char* formName, int clientWidthTwips, int clientHeightTwips);
  FixedDialog(const FixedDialog&) = delete;
  FixedDialog& operator=(const FixedDialog&) = delete;

  // Escape lands here through QDialog; it presses nothing.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace vorn::print
