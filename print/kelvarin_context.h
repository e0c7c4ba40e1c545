#pragma once

#include <string>

#include "common/clock.h"
#include "common/message_box.h"
#include "print/action_log.h"
#include "print/printer_service.h"
#include "print/settings.h"

namespace vorn::print {

// Everything one run of Kelvarin shares between its steps and windows. Created by main (or a
// test) and passed by reference; lives for the run.
struct KelvarinContext {
  KelvarinContext(PrinterService& printers, MessageBoxes& messages, const Clock& clock)
      : Printers(printers), Messages(messages), TimeSource(clock) {}

  ::vorn::print::PrintSettings PrintSettings;
  std::string SettingsDir;  // current directory at start-up, ending in the path separator
  bool Cancelled = false;   // the printer dialog was left with Cancel

  // Where files live: the current directory (settings and print file) and the application
  // directory (logs). Both without a trailing separator, except at a root.
  std::string CurrentDir;
  std::string AppDir;

  PrinterService& Printers;
  MessageBoxes& Messages;
  const Clock& TimeSource;
  DayHalfNames DayHalves;

  // The vendor's support telephone number for the failure message.
  std::string SupportPhone;
};

}  // namespace vorn::print
