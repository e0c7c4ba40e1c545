#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/message_box.h"

namespace vorn::autoconfig::testing {

// Answers message boxes in-process: each box is recorded, then answered from the queue of
// answers (OK when it is empty). `on_show` runs while the box is "open".
class RecordingMessageBoxes final : public MessageBoxes {
 public:
  struct Shown {
    std::string text;
    MessageIcon icon;
    MessageButtons buttons;
  };

  MessageAnswer Show(const std::string& text, MessageIcon icon, MessageButtons buttons) override {
    shown.push_back({text, icon, buttons});
    if (on_show) on_show(shown.back());
    if (answers.empty()) return MessageAnswer::kOk;
    MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<Shown> shown;
  std::deque<MessageAnswer> answers;
  std::function<void(const Shown&)> on_show;
};

inline constexpr char kConfirmText[] =
    "This utility will now automatically configure your Vorn programs.\r\n\r\n"
    "All Vorn programs should be closed prior to clicking the \"OK\" button. If you wish to "
    "manually configure each Vorn program installed, click cancel.";
inline constexpr char kCancelledText[] =
    "To use this auto configuration utility later, you must reinstall the Print Utility.";
inline constexpr char kNothingFoundText[] =
    "No Vorn programs were found on the drive you installed this utility to!";
inline constexpr char kFailureText[] =
    "An error has occured. You may need to configure your Vorn programs manually to use the "
    "printer utility.";

}  // namespace vorn::autoconfig::testing
