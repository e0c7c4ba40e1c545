#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "event_log.h"

namespace vorn::print::test {

// Drives a chain of modal dialogs from inside their own event loops: each step waits for the
// next showing of a dialog (by form name), waits until its window is active, and then works it
// like a person would. If a check fails, a step waits too long or an unexpected dialog shows,
// the script closes whatever is still open through the window system so the test never hangs.
class ModalScript final : public QObject {
 public:
  using Action = std::function<void(QDialog& form)>;

  explicit ModalScript(EventLog* log = nullptr);

  // The next showing is expected to be `formName`; `action` works it.
  ModalScript& Then(const QString& formName, Action action);
  void Start();
  void Stop();

  // Every step ran, nothing unexpected happened, and no check failed inside a step.
  bool Completed() const { return next_ == steps_.size() && problems_.isEmpty(); }
  QString Problems() const { return problems_.join(QStringLiteral("; ")); }

 private:
  struct Step {
    QString formName;
    Action action;
  };

  void Poll();
  void GiveUp(const QString& problem);

  EventLog* log_;
  QList<Step> steps_;
  qsizetype next_ = 0;
  QPointer<QWidget> lastWorked_;
  QTimer timer_;
  QElapsedTimer sinceProgress_;
  bool busy_ = false;
  bool givenUp_ = false;
  QStringList problems_;
};

}  // namespace vorn::print::test
