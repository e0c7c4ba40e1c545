#pragma once

#include <QStringList>

#include "event_log.h"
#include "fake_printer_service.h"
#include "fixed_clock.h"
#include "modal_script.h"
#include "print/kelvarin_context.h"
#include "recording_message_boxes.h"

namespace vorn::print::test {

// One run's worth of context for the dialogs: installed printers, printer fonts, message
// boxes that answer OK, and settings as start-up leaves them (an installed printer,
// "Courier New", one copy).
class DialogTestBed {
 public:
  DialogTestBed();
  DialogTestBed(const DialogTestBed&) = delete;
  DialogTestBed& operator=(const DialogTestBed&) = delete;

  // Runs the dialog chain as start-up does, with `script` working the dialogs; returns when
  // the chain has returned.
  void Run(ModalScript& script);

  QStringList MessageTexts() const;

  EventLog log;
  FakePrinterService printers;
  RecordingMessageBoxes messages{log};
  FixedClock clock;
  KelvarinContext ctx{printers, messages, clock};
  int repaints = 0;
};

}  // namespace vorn::print::test
