#pragma once

#include <functional>

#include "common/forms/form.h"
#include "common/message_box.h"
#include "print/printer_service.h"
#include "print/settings.h"

namespace vorn::print {

// "Select Printer": the user confirms or changes the printer and the number of copies, and
// asks for a new font. Works directly on the run's settings and its Cancelled flag. One object
// is one showing: the front end loads it, forwards its events, and unloads it.
class frmPrinterChoice final : public forms::Form {
 public:
  // The controls, in the order of the layout table's rows.
  enum class Control {
    lblSelected,
    Frame1,
    Label1,
    cmbPrinter,
    Label4,
    txtWhere,
    lblCopies,
    txtCopies,
    Label3,
    txtType,
    Label2,
    txtFont,
    btnFont,
    lblInst,
    btnOK,
    btnCancel,
  };
  static const forms::FormLayout kLayout;
  // What the form writes into its labels when it loads: the current printer after the prefix,
  // and how to pick another.
  static constexpr const char* kSelectedPrefix = "The VORN Quote Printer currently assigned = ";
  static constexpr const char* kInstructions =
      "Select a Printer from the drop down list of "
      "Installed Printers by depressing the small 'down arrow' button at "
      "the right of the white text box.  The initial printer is the default printer. "
      "Selecting a different printer will not change your default printer. ";

  frmPrinterChoice(PrintSettings& settings, bool& cancelled, PrinterService& printers,
                   MessageBoxes& messages, std::function<void()> repaintControls);

  const forms::FormLayout& Layout() const override { return kLayout; }

  void Form_Load() override;
  void Form_Unload() override;
  void Click(forms::ControlId control) override;
  void LostFocus(forms::ControlId control) override;

  void cmbPrinter_Click();
  void txtCopies_LostFocus();
  void btnOK_Click();
  void btnCancel_Click();
  void btnFont_Click();

  // True when New Font closed this showing: the caller then runs the font dialog, shows a
  // fresh printer choice dialog and repaints the progress window once that has returned.
  bool FontDetourAsked() const { return fontDetourAsked_; }

 private:
  // Validates (unless `flag` is already set) and closes the dialog; an invalid form sets
  // `flag`, shows the message and stays open.
  void CloseDialog(bool& flag);
  // Reads the copies box into Copies; false (Copies untouched) when the number does not fit.
  bool ConvertCopies();
  void Unload();

  PrintSettings& settings_;
  bool& cancelled_;
  PrinterService& printers_;
  MessageBoxes& messages_;
  std::function<void()> repaintControls_;
  bool fontDetourAsked_ = false;
  bool unloaded_ = false;
};

}  // namespace vorn::print
