#include "common/code_page.h"
#include "common/wide_text.h"

namespace vorn {

// The system's code page, as the settings file, the print file and the windows use it.
std::string Utf8ToCodePage(std::string_view utf8) { return WideToAnsi(Utf8ToWide(utf8)); }

}  // namespace vorn
