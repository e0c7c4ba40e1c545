#include "recording_form_view.h"

#include <stdexcept>

namespace vorn::testing {

RecordingFormView::RecordingFormView(forms::Form& form) : form_(form) {
  const forms::FormLayout& layout = form.Layout();
  caption_ = layout.Caption;
  for (const forms::ControlLayout& control : layout.Controls)
    controls_.push_back({control.Caption, {}, -1, control.Enabled, control.Visible});
  focus_ = layout.FirstFocus;
  form_.Attach(*this);
}

// The form may be gone already (a modeless window outlives it); whoever showed it detaches it.
RecordingFormView::~RecordingFormView() = default;

// A control the form does not have fails as it does in either front end.
RecordingFormView::ControlState& RecordingFormView::State(forms::ControlId control) {
  const forms::ControlLayout& row = forms::GetControl(form_.Layout(), control);
  return controls_.at(static_cast<std::size_t>(row.Id.Row()));
}

const RecordingFormView::ControlState& RecordingFormView::Control(forms::ControlId control) const {
  return const_cast<RecordingFormView*>(this)->State(control);
}

void RecordingFormView::MoveFocus(forms::ControlId control) {
  if (closed_ || focus_ == control) return;
  if (!forms::TakesFocus(forms::GetControl(form_.Layout(), control))) return;
  const forms::ControlId left = focus_;
  focus_ = control;
  if (!left.IsNone()) form_.LostFocus(left);
}

void RecordingFormView::Click(forms::ControlId name) {
  if (closed_) throw std::logic_error("clicked a closed window");
  const ControlState& state = State(name);
  if (!state.Enabled || !state.Visible) return;
  MoveFocus(name);
  if (!closed_) form_.Click(name);
}

void RecordingFormView::TypeInto(forms::ControlId name, const std::string& text) {
  MoveFocus(name);
  State(name).Text = text;
}

void RecordingFormView::Pick(forms::ControlId name, int index) {
  MoveFocus(name);
  ControlState& state = State(name);
  state.ListIndex = index;
  state.Text = state.Items.at(static_cast<std::size_t>(index));
  if (!closed_) form_.Click(name);
}

void RecordingFormView::Tab() {
  const std::vector<const forms::ControlLayout*> order = forms::FocusOrder(form_.Layout());
  std::size_t at = 0;
  while (at < order.size() && focus_ != order[at]->Id) ++at;
  for (std::size_t step = 1; step <= order.size(); ++step) {
    const forms::ControlLayout* next = order[(at + step) % order.size()];
    const ControlState& state = State(next->Id);
    if (state.Enabled && state.Visible) {
      MoveFocus(next->Id);
      return;
    }
  }
}

void RecordingFormView::CloseByWindowSystem() { Close(); }

void RecordingFormView::Close() {
  if (closed_) return;
  closed_ = true;
  ++unloads_;
  form_.Form_Unload();
}

void RecordingFormView::SetText(forms::ControlId control, const std::string& text) {
  State(control).Text = text;
}

std::string RecordingFormView::Text(forms::ControlId control) const {
  return Control(control).Text;
}

void RecordingFormView::AddItem(forms::ControlId control, const std::string& text) {
  State(control).Items.push_back(text);
}

void RecordingFormView::InsertItem(forms::ControlId control, int index, const std::string& text) {
  std::vector<std::string>& items = State(control).Items;
  items.insert(items.begin() + index, text);
}

int RecordingFormView::ItemCount(forms::ControlId control) const {
  return static_cast<int>(Control(control).Items.size());
}

std::string RecordingFormView::ItemText(forms::ControlId control, int index) const {
  return Control(control).Items.at(static_cast<std::size_t>(index));
}

void RecordingFormView::SetListIndex(forms::ControlId control, int index) {
  ControlState& state = State(control);
  state.ListIndex = index;
  if (index >= 0 &&
      forms::GetControl(form_.Layout(), control).Kind == forms::ControlKind::kComboBox)
    state.Text = state.Items.at(static_cast<std::size_t>(index));
}

void RecordingFormView::SetEnabled(forms::ControlId control, bool enabled) {
  State(control).Enabled = enabled;
}

void RecordingFormView::SetVisible(forms::ControlId control, bool visible) {
  State(control).Visible = visible;
}

}  // namespace vorn::testing
