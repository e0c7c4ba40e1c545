#pragma once

#include <QPushButton>

namespace vorn::gui {

// A command button that is never its window's default button: Enter presses it only while it
// has the focus (like Space), and Enter typed in another control presses nothing.
class CommandButton final : public QPushButton {
  Q_OBJECT

 public:
  CommandButton(const QString& caption, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vorn::gui
