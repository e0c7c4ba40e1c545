#include "gui/qt/qt_form_host.h"

#include <QApplication>
#include <algorithm>

#include "gui/qt/centre_on_screen.h"

namespace vorn::gui {

QtFormHost::~QtFormHost() = default;

void QtFormHost::ShowModal(forms::Form& form) {
  FormWindow window(form, [this] { Fail(); });
  shown_.emplace_back(&form, &window);
  struct Done {
    QtFormHost& host;
    forms::Form& form;
    ~Done() {
      host.shown_.pop_back();
      form.Detach();
    }
  } done{*this, form};
  form.Form_Load();
  window.setWindowModality(Qt::ApplicationModal);
  // Centred before it maps, and again once the window system has given it its frame.
  CentreOnScreen(window);
  window.show();
  CentreOnScreen(window);
  modal_.push_back(&window);
  if (!failure_.Kept()) window.exec();
  modal_.pop_back();
  failure_.ThrowIfKept();
}

void QtFormHost::ShowModeless(forms::Form& form) {
  modeless_.push_back(std::make_unique<FormWindow>(form, [this] { Fail(); }));
  FormWindow& window = *modeless_.back();
  shown_.emplace_back(&form, &window);
  form.Form_Load();
  CentreOnScreen(window);
  window.show();
  CentreOnScreen(window);
  // Mapped and drawn before the program goes on working without an event loop.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtFormHost::RunUntilNoWindow() {
  failure_.ThrowIfKept();
  const bool shown = std::any_of(modeless_.begin(), modeless_.end(),
                                 [](const auto& window) { return window->isVisible(); });
  // Qt's loop ends when its last window closes; with none on screen it would never end.
  if (shown) {
    running_ = true;
    QApplication::exec();
    running_ = false;
  }
  failure_.ThrowIfKept();
}

FormWindow* QtFormHost::WindowOf(const forms::Form& form) const {
  const auto found = std::find_if(shown_.rbegin(), shown_.rend(),
                                  [&](const auto& entry) { return entry.first == &form; });
  return found == shown_.rend() ? nullptr : found->second;
}

void QtFormHost::Fail() {
  failure_.Keep(std::current_exception());
  // Hiding a modal window ends its loop; its showing then throws the failure again. No form
  // is unloaded on the way: nothing after a failure runs.
  for (FormWindow* window : modal_) window->hide();
  if (running_) QCoreApplication::exit(1);
}

}  // namespace vorn::gui
