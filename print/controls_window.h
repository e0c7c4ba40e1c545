#pragma once

#include <QLabel>
#include <QWidget>

namespace vorn::print {

// The progress window "Printing Quote": on screen, modeless, from before the printer dialog
// until the end of the run. It has no behaviour of its own.
class frmControls final : public QWidget {
  Q_OBJECT

 public:
  explicit frmControls(QWidget* parent = nullptr);

  // Shows the window centred on the screen.
  void ShowCentred();

  QLabel* lblMsg = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

// Kelvarin's icon, drawn at 16, 32 and 48 pixels.
QIcon KelvarinIcon();

}  // namespace vorn::print
