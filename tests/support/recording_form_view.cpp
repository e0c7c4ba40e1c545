#include "recording_form_view.h"

#include <stdexcept>

namespace vorn::testing {

RecordingFormView::RecordingFormView(forms::Form& form) : form_(form) {
  const forms::FormLayout& layout = form.Layout();
  caption_ = layout.Caption;
  for (const forms::ControlLayout& control : layout.Controls)
    controls_[control.Name] = {control.Caption, {}, -1, control.Enabled, control.Visible};
  if (layout.FirstFocus != nullptr) focus_ = layout.FirstFocus;
  form_.Attach(*this);
}

// The form may be gone already (a modeless window outlives it); whoever showed it detaches it.
RecordingFormView::~RecordingFormView() = default;

RecordingFormView::ControlState& RecordingFormView::State(std::string_view name) {
  const auto found = controls_.find(name);
  if (found == controls_.end())
    throw std::logic_error("no control named " + std::string(name) + " on " + form_.Layout().Name);
  return found->second;
}

const RecordingFormView::ControlState& RecordingFormView::Control(std::string_view name) const {
  return const_cast<RecordingFormView*>(this)->State(name);
}

void RecordingFormView::MoveFocus(std::string_view name) {
  if (closed_ || focus_ == name) return;
  const forms::ControlLayout* control = forms::FindControl(form_.Layout(), name);
  if (control == nullptr || !forms::TakesFocus(*control)) return;
  const std::string left = focus_;
  focus_ = name;
  if (!left.empty()) form_.LostFocus(left);
}

void RecordingFormView::Click(std::string_view name) {
  if (closed_) throw std::logic_error("clicked a closed window");
  const ControlState& state = State(name);
  if (!state.Enabled || !state.Visible) return;
  MoveFocus(name);
  if (!closed_) form_.Click(name);
}

void RecordingFormView::TypeInto(std::string_view name, const std::string& text) {
  MoveFocus(name);
  State(name).Text = text;
}

void RecordingFormView::Pick(std::string_view name, int index) {
  MoveFocus(name);
  ControlState& state = State(name);
  state.ListIndex = index;
  state.Text = state.Items.at(static_cast<std::size_t>(index));
  if (!closed_) form_.Click(name);
}

void RecordingFormView::Tab() {
  const std::vector<const forms::ControlLayout*> order = forms::FocusOrder(form_.Layout());
  std::size_t at = 0;
  while (at < order.size() && focus_ != order[at]->Name) ++at;
  for (std::size_t step = 1; step <= order.size(); ++step) {
    const forms::ControlLayout* next = order[(at + step) % order.size()];
    const ControlState& state = State(next->Name);
    if (state.Enabled && state.Visible) {
      MoveFocus(next->Name);
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

void RecordingFormView::SetText(std::string_view control, const std::string& text) {
  State(control).Text = text;
}

std::string RecordingFormView::Text(std::string_view control) const {
  return Control(control).Text;
}

void RecordingFormView::AddItem(std::string_view control, const std::string& text) {
  State(control).Items.push_back(text);
}

void RecordingFormView::InsertItem(std::string_view control, int index, const std::string& text) {
  std::vector<std::string>& items = State(control).Items;
  items.insert(items.begin() + index, text);
}

int RecordingFormView::ItemCount(std::string_view control) const {
  return static_cast<int>(Control(control).Items.size());
}

std::string RecordingFormView::ItemText(std::string_view control, int index) const {
  return Control(control).Items.at(static_cast<std::size_t>(index));
}

void RecordingFormView::SetListIndex(std::string_view control, int index) {
  ControlState& state = State(control);
  state.ListIndex = index;
  if (index >= 0 &&
      forms::FindControl(form_.Layout(), control)->Kind == forms::ControlKind::kComboBox)
    state.Text = state.Items.at(static_cast<std::size_t>(index));
}

void RecordingFormView::SetEnabled(std::string_view control, bool enabled) {
  State(control).Enabled = enabled;
}

void RecordingFormView::SetVisible(std::string_view control, bool visible) {
  State(control).Visible = visible;
}

}  // namespace vorn::testing
