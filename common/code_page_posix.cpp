#include "common/ansi_text.h"
#include "common/code_page.h"

namespace vorn {

std::string Utf8ToCodePage(std::string_view utf8) { return Utf8ToAnsi(utf8); }

}  // namespace vorn
