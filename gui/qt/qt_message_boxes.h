#pragma once

#include <QString>

#include "common/message_box.h"

namespace vorn::gui {

// Real message boxes with the application's title, the asked-for icon and buttons. No button
// is pre-selected for Escape except Cancel, so dismissing a box answers Cancel.
class QtMessageBoxes final : public MessageBoxes {
 public:
  explicit QtMessageBoxes(QString title) : title_(std::move(title)) {}
  MessageAnswer Show(const std::string& text, MessageIcon icon, MessageButtons buttons) override;

 private:
  QString title_;
};

}  // namespace vorn::gui
