#include "gui/qt/ansi_qstring.h"

#include <algorithm>

#include "common/ansi_text.h"

namespace vorn::gui {

QString FromAnsi(std::string_view ansi) {
  // ASCII is the same in the code page and in Latin-1; only other bytes need the table (a
  // printed page converts every line, so the common case stays cheap).
  const bool ascii = std::all_of(ansi.begin(), ansi.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return QString::fromLatin1(ansi.data(), static_cast<qsizetype>(ansi.size()));
  return QString::fromStdString(AnsiToUtf8(ansi));
}

std::string ToAnsi(const QString& text) { return Utf8ToAnsi(text.toStdString()); }

}  // namespace vorn::gui
