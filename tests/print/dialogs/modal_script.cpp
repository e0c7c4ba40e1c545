#include "modal_script.h"

#include <QApplication>
#include <QTest>
#include <QWindow>

namespace vorn::print::test {

namespace {
constexpr int kPatienceMs = 4000;
}

ModalScript::ModalScript(EventLog* log) : log_(log) {
  timer_.setInterval(5);
  connect(&timer_, &QTimer::timeout, this, &ModalScript::Poll);
}

ModalScript& ModalScript::Then(const QString& formName, Action action) {
  steps_.append({formName, std::move(action)});
  return *this;
}

void ModalScript::Start() {
  sinceProgress_.start();
  timer_.start();
}

void ModalScript::Stop() { timer_.stop(); }

void ModalScript::GiveUp(const QString& problem) {
  problems_.append(problem);
  givenUp_ = true;
}

void ModalScript::Poll() {
  if (busy_) return;  // a step waiting in a nested loop
  QWidget* modal = QApplication::activeModalWidget();

  if (givenUp_) {
    if (modal && modal->windowHandle()) modal->windowHandle()->close();
    return;
  }
  if (!modal || modal == lastWorked_) {
    if (sinceProgress_.elapsed() > kPatienceMs) {
      GiveUp(next_ < steps_.size()
                 ? QStringLiteral("step %1 (%2) never came").arg(next_).arg(steps_[next_].formName)
                 : QStringLiteral("%1 stayed open after the last step").arg(modal->objectName()));
    }
    return;
  }
  if (!modal->isActiveWindow()) {
    modal->activateWindow();
    return;
  }
  if (next_ >= steps_.size()) {
    GiveUp(QStringLiteral("unexpected showing of %1").arg(modal->objectName()));
    return;
  }
  auto* form = qobject_cast<QDialog*>(modal);
  if (!form || modal->objectName() != steps_[next_].formName) {
    GiveUp(QStringLiteral("step %1 expected %2 but %3 showed")
               .arg(next_)
               .arg(steps_[next_].formName, modal->objectName()));
    return;
  }

  busy_ = true;
  lastWorked_ = modal;
  if (log_) log_->Add(QStringLiteral("show: ") + modal->objectName());
  steps_[next_].action(*form);
  ++next_;
  sinceProgress_.restart();
  busy_ = false;
  if (QTest::currentTestFailed())
    GiveUp(QStringLiteral("a check failed in step %1").arg(next_ - 1));
}

}  // namespace vorn::print::test
