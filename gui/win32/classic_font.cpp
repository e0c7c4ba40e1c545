#include "gui/win32/classic_font.h"

#include <cmath>

#include "common/wide_text.h"

namespace vorn::win32 {

namespace {

constexpr const char* kClassicFace = "MS Sans Serif";
constexpr double kClassicPoints = 8;

}  // namespace

HFONT CreateControlFont(const forms::ControlFont& font, int dpi) {
  const char* face = font.Face != nullptr ? font.Face : kClassicFace;
  const double points = font.Face != nullptr ? font.Points : kClassicPoints;
  // A negative height asks for the character height, which is how point sizes are meant.
  const int height = -static_cast<int>(std::lround(points * dpi / 72.0));
  return CreateFontW(height, 0, 0, 0, font.Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, AnsiToWide(face).c_str());
}

}  // namespace vorn::win32
