#pragma once

#include <QString>
#include <QStringList>

namespace vorn::print::test {

// What the dialogs did that a person could see, in order: repaints of the progress window,
// message boxes and the showings of dialogs.
struct EventLog {
  QStringList entries;

  void Add(const QString& entry) { entries.append(entry); }
  qsizetype Count(const QString& entry) const { return entries.count(entry); }
};

}  // namespace vorn::print::test
