#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/forms/form.h"
#include "recording_form_view.h"

namespace vorn::testing {

// Shows forms in RecordingFormViews. Each modal showing is worked by the next step of a
// script, as a person would work the window; a step for another form, a showing with no step
// left, or a window the step leaves open is noted as a problem (and the window closed, so a
// test never hangs). `log` holds the showings ("show: <form>") and the repaints of modeless
// windows ("repaint: <form>") in order.
class ScriptedFormHost final : public forms::FormHost {
 public:
  using Action = std::function<void(RecordingFormView& view)>;

  ScriptedFormHost() = default;
  explicit ScriptedFormHost(std::vector<std::string>& eventLog) : log_(&eventLog) {}

  ScriptedFormHost& Then(std::string formName, Action action);

  void ShowModal(forms::Form& form) override;
  void ShowModeless(forms::Form& form) override;
  // The script works modeless windows itself: there is no loop to run.
  void RunUntilNoWindow() override {}

  // The modal window being shown (from before its form loads), or null.
  RecordingFormView* Current() const { return current_; }
  // The window of the last modeless showing of `formName`, or null.
  RecordingFormView* Modeless(const std::string& formName) const;

  // Every step ran and nothing unexpected happened.
  bool Completed() const { return next_ == steps_.size() && problems_.empty(); }
  std::string Problems() const;

 private:
  struct Step {
    std::string formName;
    Action action;
  };

  void Note(const std::string& entry);

  std::vector<std::string>* log_ = nullptr;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  RecordingFormView* current_ = nullptr;
  std::vector<std::string> problems_;
  std::vector<std::pair<std::string, std::unique_ptr<RecordingFormView>>> modeless_;
};

}  // namespace vorn::testing
