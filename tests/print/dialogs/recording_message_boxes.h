#pragma once

#include <string>
#include <vector>

#include "common/message_box.h"
#include "event_log.h"

namespace vorn::print::test {

// Answers every box with OK at once and remembers what it was asked to show.
class RecordingMessageBoxes final : public MessageBoxes {
 public:
  struct Shown {
    std::string text;
    MessageIcon icon;
    MessageButtons buttons;
  };

  explicit RecordingMessageBoxes(EventLog& log) : log_(log) {}
  MessageAnswer Show(const std::string& text, MessageIcon icon, MessageButtons buttons) override;

  std::vector<Shown> shown;

 private:
  EventLog& log_;
};

}  // namespace vorn::print::test
