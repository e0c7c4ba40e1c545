#pragma once

#include <windows.h>

#include "common/forms/form_layout.h"

namespace vorn::win32 {

// The classic dialog font, "MS Sans Serif" 8 pt (or whatever the system substitutes for it),
// or a control's own font from its layout, at `dpi` dots per inch. The caller deletes it.
HFONT CreateControlFont(const forms::ControlFont& font, int dpi);

}  // namespace vorn::win32
