#pragma once

#include "common/forms/form.h"
#include "print/forms/frm_controls.h"
#include "print/kelvarin.h"

namespace vorn::print {

// Kelvarin's windows as forms, shown by whichever front end `host` is: the progress window
// and the printer dialogs with their New Font detour.
class KelvarinForms final : public KelvarinWindows {
 public:
  explicit KelvarinForms(forms::FormHost& host) : host_(host) {}
  // A run that ends early (an error between the progress window and its closing) closes the
  // window with its form, while the host that shows it is still there.
  ~KelvarinForms() override;
  KelvarinForms(const KelvarinForms&) = delete;
  KelvarinForms& operator=(const KelvarinForms&) = delete;

  void ShowProgress() override;
  // Shows "Select Printer" modally and returns when the whole chain has closed: New Font
  // closes it, runs the font dialog and shows a fresh printer choice dialog, any number of
  // times.
  void RunPrinterChoice(KelvarinContext& ctx) override;
  void CloseProgress() override;

  // Whether Cancel was the last of OK and Cancel pressed in any showing of the font dialog.
  bool FontCancelled() const { return fontCancelled_; }

 private:
  forms::FormHost& host_;
  frmControls controls_;
  // The font dialog's own flag: it outlives every showing, for the whole run.
  bool fontCancelled_ = false;
};

}  // namespace vorn::print
