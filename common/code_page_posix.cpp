// The code page of the programs' texts on POSIX: Windows-1252. One division: Utf8ToCodePage.
#include "common/ansi_text.h"
#include "common/code_page.h"

namespace vorn {

std::string Utf8ToCodePage(std::string_view utf8) { return Utf8ToAnsi(utf8); }

}  // namespace vorn
