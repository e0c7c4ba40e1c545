#pragma once

#include <string>

namespace vorn {

enum class MessageIcon { kNone, kInformation, kWarning, kCritical };
enum class MessageButtons { kOk, kOkCancel };
enum class MessageAnswer { kOk, kCancel };

// A blocking message box showing the application's own title. Windows implement it with a
// real box; tests answer it in-process.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // `text` is UTF-8. Dismissing the box without a choice answers kCancel for kOkCancel.
  virtual MessageAnswer Show(const std::string& text, MessageIcon icon, MessageButtons buttons) = 0;
};

}  // namespace vorn
