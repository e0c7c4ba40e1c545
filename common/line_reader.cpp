#include "common/line_reader.h"

namespace vorn {

namespace {
constexpr auto kEof = std::char_traits<char>::eof();
}

bool LineReader::AtEnd() const { return buf_ == nullptr || buf_->sgetc() == kEof; }

bool LineReader::ReadLine(std::string& line) {
  line.clear();
  if (AtEnd()) return false;
  for (;;) {
    // Copy the run of ordinary characters available in the buffer in one go.
    auto c = buf_->sbumpc();
    if (c == kEof) return true;
    if (c == '\r') {
      if (buf_->sgetc() == '\n') buf_->sbumpc();
      return true;
    }
    line.push_back(static_cast<char>(c));
  }
}

}  // namespace vorn
