#include "dialog_test_bed.h"

#include "print/dialogs/printer_dialogs.h"

namespace vorn::print::test {

DialogTestBed::DialogTestBed() {
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
}

void DialogTestBed::Run(ModalScript& script) {
  script.Start();
  RunPrinterChoice(ctx, [this] {
    ++repaints;
    log.Add(QStringLiteral("repaint"));
  });
  script.Stop();
}

QStringList DialogTestBed::MessageTexts() const {
  QStringList texts;
  for (const auto& box : messages.shown) texts.append(QString::fromStdString(box.text));
  return texts;
}

}  // namespace vorn::print::test
