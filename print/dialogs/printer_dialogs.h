#pragma once

#include <functional>

#include "print/kelvarin_context.h"

namespace vorn::print {

// Shows the printer choice dialog "Select Printer" modally, with no owner, and returns when
// the whole chain of dialogs has closed (the New Font detour closes it, runs the font dialog
// and shows a fresh printer choice dialog, any number of times). The dialogs work directly on
// ctx.PrintSettings (PrinterName, FontName, Copies) and ctx.Cancelled; message boxes go
// through ctx.Messages, printers and fonts through ctx.Printers. `repaintControls` repaints
// the progress window after each button press.
void RunPrinterChoice(KelvarinContext& ctx, const std::function<void()>& repaintControls);

}  // namespace vorn::print
