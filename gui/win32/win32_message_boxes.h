#pragma once

#include <string>

#include "common/message_box.h"

namespace vorn::win32 {

// Message boxes through MessageBoxW: no owner, modal to every window of the program, titled
// with the program's name.
class Win32MessageBoxes final : public MessageBoxes {
 public:
  explicit Win32MessageBoxes(std::wstring title) : title_(std::move(title)) {}

  MessageAnswer Show(const std::string& text, MessageIcon icon, MessageButtons buttons) override;

 private:
  std::wstring title_;
};

}  // namespace vorn::win32
