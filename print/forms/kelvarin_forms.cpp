#include "print/forms/kelvarin_forms.h"

#include "print/forms/frm_printer_choice.h"
#include "print/forms/frm_printer_font.h"

namespace vorn::print {

KelvarinForms::~KelvarinForms() { controls_.Unload(); }

void KelvarinForms::ShowProgress() { host_.ShowModeless(controls_); }

void KelvarinForms::RunPrinterChoice(KelvarinContext& ctx) {
  const auto repaintControls = [this] { controls_.Repaint(); };
  // Every finished detour repaints the progress window on its way back, so the repaints owed
  // are paid once the last showing has closed.
  int detours = 0;
  for (;;) {
    frmPrinterChoice choice(ctx.PrintSettings, ctx.Cancelled, ctx.Printers, ctx.Messages,
                            repaintControls);
    host_.ShowModal(choice);
    if (!choice.FontDetourAsked()) break;
    ++detours;
    frmPrinterFont font(ctx.PrintSettings, ctx.Printers, fontCancelled_);
    host_.ShowModal(font);
  }
  for (; detours > 0; --detours) repaintControls();
}

void KelvarinForms::CloseProgress() { controls_.Unload(); }

}  // namespace vorn::print
