#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/forms/form.h"
#include "common/forms/form_view.h"

namespace vorn::testing {

// A window for a form's logic without any toolkit: it keeps each control's state as the
// form's layout starts it and records what the logic asks. Tests work it like a person at the
// screen would (click, type, pick, Tab, close); it raises the events a front end forwards,
// with the focus moving first as it does on a screen.
class RecordingFormView final : public forms::FormView {
 public:
  struct ControlState {
    std::string Text;
    std::vector<std::string> Items;
    int ListIndex = -1;
    bool Enabled = true;
    bool Visible = true;
  };

  // Builds the controls from the form's layout and attaches itself to `form`. The form must
  // be detached by whoever showed it; the view never touches it after the form has gone.
  explicit RecordingFormView(forms::Form& form);
  ~RecordingFormView() override;
  RecordingFormView(const RecordingFormView&) = delete;
  RecordingFormView& operator=(const RecordingFormView&) = delete;

  // What the window shows.
  const ControlState& Control(forms::ControlId control) const;
  const std::string& Caption() const { return caption_; }
  bool Closed() const { return closed_; }
  forms::ControlId Focus() const { return focus_; }
  int Repaints() const { return repaints_; }
  bool BusyPointer() const { return busy_; }
  int Unloads() const { return unloads_; }

  // What a person does. Clicking or typing into a control first moves the focus there (the
  // control it leaves loses it); a pick from a list shows the entry and clicks the list.
  void Click(forms::ControlId control);
  void TypeInto(forms::ControlId control, const std::string& text);
  void Pick(forms::ControlId control, int index);
  void Tab();
  // The window system closes the window (its close command, Alt+F4): no focus moves.
  void CloseByWindowSystem();

  // FormView.
  void SetCaption(const std::string& text) override { caption_ = text; }
  void SetText(forms::ControlId control, const std::string& text) override;
  std::string Text(forms::ControlId control) const override;
  void AddItem(forms::ControlId control, const std::string& text) override;
  void InsertItem(forms::ControlId control, int index, const std::string& text) override;
  int ItemCount(forms::ControlId control) const override;
  std::string ItemText(forms::ControlId control, int index) const override;
  void SetListIndex(forms::ControlId control, int index) override;
  void SetEnabled(forms::ControlId control, bool enabled) override;
  void SetVisible(forms::ControlId control, bool visible) override;
  void Repaint() override {
    ++repaints_;
    if (onRepaint_) onRepaint_();
  }
  // Called on every repaint, after it is counted.
  void OnRepaint(std::function<void()> handler) { onRepaint_ = std::move(handler); }
  void SetBusyPointer(bool busy) override { busy_ = busy; }
  void Close() override;

 private:
  ControlState& State(forms::ControlId control);
  void MoveFocus(forms::ControlId control);

  forms::Form& form_;
  std::vector<ControlState> controls_;  // by row of the layout table
  std::string caption_;
  forms::ControlId focus_;
  bool closed_ = false;
  bool busy_ = false;
  int repaints_ = 0;
  int unloads_ = 0;
  std::function<void()> onRepaint_;
};

}  // namespace vorn::testing
