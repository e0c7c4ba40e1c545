#pragma once

#include "print/controls_window.h"
#include "print/kelvarin.h"

namespace vorn::print {

// Kelvarin's windows on Qt: the progress window and the printer dialogs.
class QtKelvarinWindows final : public KelvarinWindows {
 public:
  void ShowProgress() override;
  void RunPrinterChoice(KelvarinContext& ctx) override;
  void CloseProgress() override;

  frmControls& Controls() { return controls_; }

 private:
  frmControls controls_;
};

}  // namespace vorn::print
