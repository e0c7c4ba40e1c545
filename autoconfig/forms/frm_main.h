#pragma once

#include <string>

#include "autoconfig/status_window.h"
#include "autoconfig/tesmo_context.h"
#include "common/forms/form.h"

namespace vorn::autoconfig {

// Tesmo's status window: no title bar, a thin fixed border, centred; the configuration run
// lists its steps in it and leaves it waiting with Close and, when something was configured,
// Print Test Page.
class frmMain final : public forms::Form, public StatusWindow {
 public:
  // The controls, in the order of the layout table's rows.
  enum class Control { lblTitle, lstStatus, cmdClose, lblStatus, cmdPrint };
  static const forms::FormLayout kLayout;

  frmMain(TesmoContext& ctx, forms::FormHost& host) : ctx_(ctx), host_(host) {}

  const forms::FormLayout& Layout() const override { return kLayout; }
  void Click(forms::ControlId control) override;

  // What the run does with the window.
  void Show() override;
  void AddItem(const std::string& text) override;
  void SelectLastItem() override;
  void SetTitle(const std::string& text) override;
  void SetStatus(const std::string& text) override;
  void EnableClose() override;
  void ShowPrint() override;

  // Unloads the window; with no window left, Tesmo ends.
  void cmdClose_Click();
  // Starts Kelvarin; the window stays as it is. A failure to start it is not handled here: it
  // ends Tesmo with the run-time error report.
  void cmdPrint_Click();

 private:
  TesmoContext& ctx_;
  forms::FormHost& host_;
};

}  // namespace vorn::autoconfig
