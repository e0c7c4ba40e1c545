#include "gui/qt/qt_form_host.h"

#include <QCoreApplication>
#include <algorithm>

#include "gui/qt/centre_on_screen.h"

namespace vorn::gui {

QtFormHost::QtFormHost(FormWindow::FailureHandler onFailure) : onFailure_(std::move(onFailure)) {}

QtFormHost::~QtFormHost() = default;

void QtFormHost::ShowModal(forms::Form& form) {
  FormWindow window(form, onFailure_);
  shown_.emplace_back(&form, &window);
  try {
    form.Form_Load();
    window.setWindowModality(Qt::ApplicationModal);
    // Centred before it maps, and again once the window system has given it its frame.
    CentreOnScreen(window);
    window.show();
    CentreOnScreen(window);
    window.exec();
  } catch (...) {
    shown_.pop_back();
    form.Detach();
    throw;
  }
  shown_.pop_back();
  form.Detach();
}

void QtFormHost::ShowModeless(forms::Form& form) {
  modeless_.push_back(std::make_unique<FormWindow>(form, onFailure_));
  FormWindow& window = *modeless_.back();
  shown_.emplace_back(&form, &window);
  form.Form_Load();
  CentreOnScreen(window);
  window.show();
  CentreOnScreen(window);
  // Mapped and drawn before the program goes on working without an event loop.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

FormWindow* QtFormHost::WindowOf(const forms::Form& form) const {
  const auto found = std::find_if(shown_.rbegin(), shown_.rend(),
                                  [&](const auto& entry) { return entry.first == &form; });
  return found == shown_.rend() ? nullptr : found->second;
}

}  // namespace vorn::gui
