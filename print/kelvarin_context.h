#pragma once

#include <string>

#include "common/message_box.h"
#include "print/action_log.h"
#include "print/printer_service.h"
#include "print/settings.h"

namespace vorn::print {

// What the steps of one Kelvarin run hand on to each other: the settings the dialogs change and
// the job prints by, where the files are, and the printers, boxes and log every step uses.
// Created by main (or a test) and passed by reference; lives for the run.
struct KelvarinContext {
  KelvarinContext(PrinterService& printers, MessageBoxes& messages, const ActionLog& log)
      : Printers(printers), Messages(messages), Log(log) {}

  ::vorn::print::PrintSettings PrintSettings;
  std::string SettingsDir;  // the folder of Printer.inp, ending in the path separator
  bool Cancelled = false;   // the printer dialog was left with Cancel

  // Where files live: the current directory (settings and print file) and the application
  // directory (the connection log). Both without a trailing separator, except at a root.
  std::string CurrentDir;
  std::string AppDir;

  PrinterService& Printers;
  MessageBoxes& Messages;
  const ActionLog& Log;

  // The vendor's support telephone number for the failure message, when not the build's.
  std::string SupportPhone;
};

}  // namespace vorn::print
