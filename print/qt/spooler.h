#pragma once

#include <QPagedPaintDevice>
#include <QString>
#include <memory>
#include <string>

namespace vorn::print {

// One document on its way to a printer: painted on Device() between QPainter::begin and end,
// then handed to the spooler by Submit(), which throws RunError when the spooler refuses it.
class SpoolJob {
 public:
  virtual ~SpoolJob() = default;
  virtual QPagedPaintDevice& Device() = 0;
  virtual void Submit() = 0;

  // A new document for `printerName`, shown in the print queue as `title`.
  static std::unique_ptr<SpoolJob> Start(const QString& printerName, const QString& title);
};

}  // namespace vorn::print
