#pragma once

#include <string>

#include "autoconfig/status_window.h"
#include "autoconfig/tesmo_context.h"

namespace vorn::autoconfig {

// The configuration run: asks the user to confirm, shows the status window, finds every
// program of the table on the drive named by the argument string's second character, patches
// each one found and lists every step. Returns with the window (if shown) in one of its end
// states, its Close button enabled. Any failure of the run is handled here with a warning.
void Main(TesmoContext& ctx, StatusWindow& frmMain, const std::string& arguments);

// Print Test Page: starts Kelvarin (ctx.KelvarinPath) through ctx.Launch. Throws
// RunError when it cannot be started.
void StartKelvarin(const TesmoContext& ctx);

}  // namespace vorn::autoconfig
