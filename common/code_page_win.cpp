// The code page of the programs' texts on Windows: the system's ANSI code page. One
// division: Utf8ToCodePage.
#include "common/code_page.h"
#include "common/wide_text.h"

namespace vorn {

// The system's code page, as the settings file, the print file and the windows use it.
std::string Utf8ToCodePage(std::string_view utf8) { return WideToAnsi(Utf8ToWide(utf8)); }

}  // namespace vorn
