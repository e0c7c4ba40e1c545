#pragma once

#include <memory>
#include <vector>

#include "common/forms/form.h"
#include "common/forms/handler_failure.h"
#include "gui/qt/form_window.h"

namespace vorn::gui {

// Shows forms in FormWindows and runs their event loops. A failure that escapes a form's event
// handler ends every loop the host runs and is thrown again from ShowModal or
// RunUntilNoWindow, outside Qt's call-backs; the programs' main reports it.
class QtFormHost final : public forms::FormHost {
 public:
  QtFormHost() = default;
  QtFormHost(const QtFormHost&) = delete;
  QtFormHost& operator=(const QtFormHost&) = delete;
  ~QtFormHost() override;

  // Builds the window, loads the form, shows the window centred with no owner, modal for the
  // whole application, and returns once the form has been unloaded.
  void ShowModal(forms::Form& form) override;
  // Builds the window, loads the form and shows the window centred, drawn at once. The window
  // stays (hidden once the form closes it) as long as the host.
  void ShowModeless(forms::Form& form) override;
  // Runs Qt's event loop while a window the host showed is on screen.
  void RunUntilNoWindow() override;

  // The window that shows `form`, or null.
  FormWindow* WindowOf(const forms::Form& form) const;

 private:
  // Called inside the catch block of a failed handler: keeps the first failure and ends every
  // loop the host runs.
  void Fail();

  std::vector<std::unique_ptr<FormWindow>> modeless_;
  std::vector<std::pair<const forms::Form*, FormWindow*>> shown_;
  std::vector<FormWindow*> modal_;  // the windows whose modal loop runs, innermost last
  bool running_ = false;
  forms::HandlerFailure failure_;
};

}  // namespace vorn::gui
