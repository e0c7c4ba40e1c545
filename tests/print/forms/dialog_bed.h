#pragma once

#include <string>
#include <vector>

#include "fakes.h"
#include "print/forms/kelvarin_forms.h"
#include "print/kelvarin_context.h"
#include "recording_message_boxes.h"
#include "scripted_form_host.h"
#include "temp_dir.h"

namespace vorn::print::testing {

using View = ::vorn::testing::RecordingFormView;

// One run's worth of context for the printer dialogs: installed printers, printer fonts,
// message boxes that answer OK, the progress window already on screen, and settings as
// start-up leaves them (an installed printer, "Courier New", one copy). `log` holds what a
// person could see, in order: showings, message boxes and repaints of the progress window.
struct DialogBed {
  DialogBed() {
    printers.printers = {
        {"Office Laser", "HP LaserJet 4250 PCL6", "IP_10.0.0.12"},
        {"Front Desk", "Brother HL-2270DW", "USB001"},
        {"Quote Printer", "Generic / Text Only", "LPT1:"},
        {"Caf\xE9 Printer", "Canon iR C3025", "\\\\server\\caf\xE9"},
        {"Front Desk", "Second Front Desk Driver", "USB002"},
    };
    printers.fonts = {"Times New Roman", "arial",   "Courier New", "Zapf Dingbats",
                      "Lucida Console",  "courier", "Arial Black"};
    ctx.PrintSettings.PrinterName = "Office Laser";
    ctx.PrintSettings.FontName = "Courier New";
    ctx.PrintSettings.Copies = 1;
    forms.ShowProgress();
    log.clear();
  }

  // Runs the dialog chain as start-up does, the host's script working the dialogs; returns
  // when the chain has returned and the script's problems, if any.
  std::string Run() {
    forms.RunPrinterChoice(ctx);
    return host.Completed() ? std::string() : host.Problems();
  }

  std::vector<std::string> log;
  RecordingPrinterService printers;
  ::vorn::testing::RecordingMessageBoxes messages{log};
  FixedClock clock;
  ::vorn::testing::TempDir app;  // the dialogs write no log; any entry would land here
  ActionLog actionLog{clock, {}, app.path()};
  KelvarinContext ctx{printers, messages, actionLog};
  ::vorn::testing::ScriptedFormHost host{log};
  KelvarinForms forms{host};
};

inline constexpr char kChoice[] = "frmPrinterChoice";
inline constexpr char kFont[] = "frmPrinterFont";
inline constexpr char kRepaint[] = "repaint: frmControls";

}  // namespace vorn::print::testing
