#include "print/dialogs/printer_dialogs.h"

#include "print/dialogs/frm_printer_choice.h"
#include "print/dialogs/frm_printer_font.h"

namespace vorn::print {

void RunPrinterChoice(KelvarinContext& ctx, const std::function<void()>& repaintControls) {
  // Each New Font detour closes the choice dialog, runs the font dialog and shows a fresh
  // choice dialog; every finished detour repaints the progress window on its way back, so
  // the repaints owed are paid once the last showing has closed.
  int detours = 0;
  for (;;) {
    bool detour = false;
    {
      frmPrinterChoice choice(ctx, repaintControls);
      choice.exec();
      detour = choice.FontDetourAsked();
    }
    if (!detour) break;
    ++detours;
    frmPrinterFont font(ctx);
    font.exec();
  }
  for (; detours > 0; --detours) repaintControls();
}

}  // namespace vorn::print
