#include "scripted_form_host.h"

#include <utility>

namespace vorn::testing {

ScriptedFormHost& ScriptedFormHost::Then(std::string formName, Action action) {
  steps_.push_back({std::move(formName), std::move(action)});
  return *this;
}

void ScriptedFormHost::Note(const std::string& entry) {
  if (log_ != nullptr) log_->push_back(entry);
}

void ScriptedFormHost::ShowModal(forms::Form& form) {
  const std::string name = form.Layout().Name;
  Note("show: " + name);
  RecordingFormView view(form);
  RecordingFormView* const outer = current_;
  current_ = &view;
  // However the showing ends, the outer window is current again and the form is detached.
  struct Restore {
    RecordingFormView*& current;
    RecordingFormView* outer;
    forms::Form& form;
    ~Restore() {
      current = outer;
      form.Detach();
    }
  } restore{current_, outer, form};
  form.Form_Load();
  if (next_ >= steps_.size()) {
    problems_.push_back("unexpected showing of " + name);
  } else if (steps_[next_].formName != name) {
    problems_.push_back("expected " + steps_[next_].formName + ", got " + name);
    next_ = steps_.size();
  } else {
    steps_[next_++].action(view);
  }
  if (!view.Closed()) {
    problems_.push_back(name + " left open");
    view.CloseByWindowSystem();
  }
}

void ScriptedFormHost::ShowModeless(forms::Form& form) {
  const std::string name = form.Layout().Name;
  Note("show: " + name);
  auto view = std::make_unique<RecordingFormView>(form);
  view->OnRepaint([this, name] { Note("repaint: " + name); });
  form.Form_Load();
  modeless_.emplace_back(name, std::move(view));
}

RecordingFormView* ScriptedFormHost::Modeless(const std::string& formName) const {
  for (auto it = modeless_.rbegin(); it != modeless_.rend(); ++it)
    if (it->first == formName) return it->second.get();
  return nullptr;
}

std::string ScriptedFormHost::Problems() const {
  std::string text;
  for (const std::string& problem : problems_) text += (text.empty() ? "" : "; ") + problem;
  if (next_ < steps_.size()) text += (text.empty() ? "" : "; ") + std::string("steps left");
  return text;
}

}  // namespace vorn::testing
