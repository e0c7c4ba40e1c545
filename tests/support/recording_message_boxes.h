#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/message_box.h"

namespace vorn::testing {

// Answers message boxes in-process: each box is recorded (and noted in `log` as "message:
// <text>" when one is given), then answered from the queue of answers (OK when it is
// empty). `on_show` runs while the box is "open".
class RecordingMessageBoxes final : public MessageBoxes {
 public:
  struct Shown {
    std::string text;
    MessageIcon icon;
    MessageButtons buttons;
  };

  RecordingMessageBoxes() = default;
  explicit RecordingMessageBoxes(std::vector<std::string>& eventLog) : log(&eventLog) {}

  MessageAnswer Show(const std::string& text, MessageIcon icon, MessageButtons buttons) override {
    shown.push_back({text, icon, buttons});
    if (log != nullptr) log->push_back("message: " + text);
    if (on_show) on_show(shown.back());
    if (answers.empty()) return MessageAnswer::kOk;
    MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  // The texts of the boxes shown, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Shown& box : shown) texts.push_back(box.text);
    return texts;
  }

  std::vector<Shown> shown;
  std::deque<MessageAnswer> answers;
  std::function<void(const Shown&)> on_show;
  std::vector<std::string>* log = nullptr;
};

}  // namespace vorn::testing
