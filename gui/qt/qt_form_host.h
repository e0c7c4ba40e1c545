#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "common/forms/form.h"
#include "gui/qt/form_window.h"

namespace vorn::gui {

// Shows forms in FormWindows. A failure that escapes a form's event handler (or its loading)
// goes to the failure handler, called inside the catch block; the programs end there with the
// run-time error report.
class QtFormHost final : public forms::FormHost {
 public:
  explicit QtFormHost(FormWindow::FailureHandler onFailure);
  QtFormHost(const QtFormHost&) = delete;
  QtFormHost& operator=(const QtFormHost&) = delete;
  ~QtFormHost() override;

  // Builds the window, loads the form, shows the window centred with no owner, modal for the
  // whole application, and returns once the form has been unloaded.
  void ShowModal(forms::Form& form) override;
  // Builds the window, loads the form and shows the window centred, drawn at once. The window
  // stays (hidden once the form closes it) as long as the host.
  void ShowModeless(forms::Form& form) override;

  // The window that shows `form`, or null.
  FormWindow* WindowOf(const forms::Form& form) const;

 private:
  FormWindow::FailureHandler onFailure_;
  std::vector<std::unique_ptr<FormWindow>> modeless_;
  std::vector<std::pair<const forms::Form*, FormWindow*>> shown_;
};

}  // namespace vorn::gui
