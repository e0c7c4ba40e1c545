#pragma once

#include <string>

#include "common/forms/form.h"
#include "print/printer_service.h"
#include "print/settings.h"

namespace vorn::print {

// "Select a Printer Font": the user picks one of the current printer's fonts, types a face
// name, or picks the none marker for no font. Writes the settings' FontName when it closes,
// unless Cancel was the last of OK and Cancel pressed in any showing. One object is one
// showing.
class frmPrinterFont final : public forms::Form {
 public:
  // The controls, in the order of the layout table's rows.
  enum class Control { lblSelected, Frame1, Label1, cmbFont, lblInst, btnOK, btnCancel };
  static const forms::FormLayout kLayout;
  // Stands in the list for "no font"; never stored as a face name.
  static constexpr const char* kNoneMarker = "- None Assigned-";

  // `fontCancelled` is the dialog's own flag: it outlives every showing (the caller keeps it
  // for the whole run) and is changed only by OK and Cancel.
  frmPrinterFont(PrintSettings& settings, PrinterService& printers, bool& fontCancelled);

  const forms::FormLayout& Layout() const override { return kLayout; }

  void Form_Load() override;
  void Form_Unload() override;
  void Click(forms::ControlId control) override;

  void cmbFont_Click();
  void btnOK_Click();
  void btnCancel_Click();

 private:
  // Inserts `face` at its place in the list, letter case ignored.
  void AddSorted(const std::string& face);

  PrintSettings& settings_;
  PrinterService& printers_;
  bool& FontCancelled;
};

}  // namespace vorn::print
