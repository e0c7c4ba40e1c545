#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace vorn::gui {

// The programs keep their texts as ANSI (Windows-1252) bytes; Qt holds Unicode. Every window
// text crosses here and nowhere else.
QString FromAnsi(std::string_view ansi);
std::string ToAnsi(const QString& text);

}  // namespace vorn::gui
