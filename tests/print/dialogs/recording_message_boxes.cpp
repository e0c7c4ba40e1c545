#include "recording_message_boxes.h"

#include <QString>

namespace vorn::print::test {

MessageAnswer RecordingMessageBoxes::Show(const std::string& text, MessageIcon icon,
                                          MessageButtons buttons) {
  shown.push_back({text, icon, buttons});
  log_.Add(QStringLiteral("message: ") + QString::fromStdString(text));
  return MessageAnswer::kOk;
}

}  // namespace vorn::print::test
