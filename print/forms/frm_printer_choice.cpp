#include "print/forms/frm_printer_choice.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/blanks.h"
#include "common/number_parse.h"

namespace vorn::print {

using forms::ControlKind;
using forms::ControlLayout;
using forms::TextAlign;

namespace {

constexpr TextAlign kLeft = TextAlign::kLeft;
constexpr TextAlign kRight = TextAlign::kRight;
constexpr ControlKind kLabel = ControlKind::kLabel;
constexpr ControlKind kTextBox = ControlKind::kTextBox;
constexpr ControlKind kButton = ControlKind::kCommandButton;

// name, kind, caption, container, left, top, width, height, tab index, alignment, word wrap,
// display only. Controls in Frame1 are placed relative to it.
const ControlLayout kControls[] = {
    {"lblSelected", kLabel, "", nullptr, 270, 135, 5475, 285, 10},
    {"Frame1", ControlKind::kFrame, "Change Printer", nullptr, 135, 495, 5655, 1695, 0},
    {"Label1", kLabel, "Name:", "Frame1", 240, 360, 735, 255, 2, kRight},
    {"cmbPrinter", ControlKind::kComboBox, "", "Frame1", 1200, 360, 4335, 315, 1},
    {"Label4", kLabel, "Where:", "Frame1", 240, 780, 735, 255, 4, kRight},
    {"txtWhere", kTextBox, "", "Frame1", 1200, 780, 1995, 285, 6, kLeft, false, true},
    {"lblCopies", kLabel, "Number of copies:", "Frame1", 3510, 780, 1500, 240, 15, kRight},
    {"txtCopies", kTextBox, "", "Frame1", 5040, 765, 510, 285, 14},
    {"Label3", kLabel, "Driver:", "Frame1", 240, 1050, 735, 255, 3, kRight},
    {"txtType", kTextBox, "", "Frame1", 1200, 1050, 4335, 285, 5, kLeft, false, true},
    {"Label2", kLabel, "Font:", "Frame1", 240, 1320, 735, 255, 12, kRight},
    {"txtFont", kTextBox, "", "Frame1", 1200, 1305, 3255, 285, 11, kLeft, false, true},
    {"btnFont", kButton, "New Font", "Frame1", 4500, 1290, 1035, 315, 13},
    {"lblInst", kLabel, "", nullptr, 135, 2295, 5655, 795, 9, kLeft, true},
    {"btnOK", kButton, "OK", nullptr, 3660, 3165, 1035, 315, 7},
    {"btnCancel", kButton, "Cancel", nullptr, 4800, 3165, 1035, 315, 8},
};

constexpr const char* kInvalidChoices =
    "Some of your choices were omitted or are invalid.  Please correct or cancel.";

// The first installed printer whose device name is exactly `name`, or null.
const PrinterInfo* FindPrinter(const std::vector<PrinterInfo>& printers, const std::string& name) {
  for (const PrinterInfo& printer : printers)
    if (printer.DeviceName == name) return &printer;
  return nullptr;
}

}  // namespace

const forms::FormLayout frmPrinterChoice::kLayout = {
    "frmPrinterChoice", "Select Printer", 5910, 3525, forms::FormBorder::kFixedDialog,
    kControls,          "cmbPrinter",
};

frmPrinterChoice::frmPrinterChoice(PrintSettings& settings, bool& cancelled,
                                   PrinterService& printers, MessageBoxes& messages,
                                   std::function<void()> repaintControls)
    : settings_(settings),
      cancelled_(cancelled),
      printers_(printers),
      messages_(messages),
      repaintControls_(std::move(repaintControls)) {}

void frmPrinterChoice::Click(std::string_view control) {
  if (control == "cmbPrinter") cmbPrinter_Click();
  if (control == "btnOK") btnOK_Click();
  if (control == "btnCancel") btnCancel_Click();
  if (control == "btnFont") btnFont_Click();
}

void frmPrinterChoice::LostFocus(std::string_view control) {
  if (control == "txtCopies") txtCopies_LostFocus();
}

void frmPrinterChoice::Form_Load() {
  forms::FormView& view = View();
  view.SetText("lblInst", kInstructions);
  view.SetText("lblSelected", kSelectedPrefix + settings_.PrinterName);

  const std::vector<PrinterInfo> printers = printers_.InstalledPrinters();
  for (const PrinterInfo& printer : printers) view.AddItem("cmbPrinter", printer.DeviceName);
  view.SetListIndex("cmbPrinter", -1);  // filling the list picks nothing

  if (const PrinterInfo* found = FindPrinter(printers, settings_.PrinterName)) {
    view.SetListIndex("cmbPrinter", static_cast<int>(found - printers.data()));
    view.SetText("cmbPrinter", found->DeviceName);
    view.SetText("txtType", found->DriverName);
    view.SetText("txtWhere", found->Port);
  }
  view.SetText("txtFont", settings_.FontName);
  view.SetText("txtCopies", std::to_string(settings_.Copies));
  view.Repaint();
}

void frmPrinterChoice::Form_Unload() { unloaded_ = true; }

void frmPrinterChoice::cmbPrinter_Click() {
  forms::FormView& view = View();
  const std::string text = view.Text("cmbPrinter");
  const std::vector<PrinterInfo> printers = printers_.InstalledPrinters();
  if (const PrinterInfo* found = FindPrinter(printers, text)) {
    view.SetText("txtType", found->DriverName);
    view.SetText("txtWhere", found->Port);
  }
  view.SetText("txtFont", settings_.FontName);
  if (!IsBlank(text))
    settings_.PrinterName = text;  // untrimmed
  else
    settings_.PrinterName.clear();
  view.SetText("lblSelected", kSelectedPrefix + settings_.PrinterName);
}

void frmPrinterChoice::txtCopies_LostFocus() {
  // Closing moves the focus on as the window goes; that is no edit of the box.
  if (!unloaded_) ConvertCopies();
}

bool frmPrinterChoice::ConvertCopies() {
  const std::string text = View().Text("txtCopies");
  const std::optional<std::int16_t> copies = RoundToInt16(LeadingNumber(TrimBlanks(text)));
  // A number beyond the 16-bit range cannot be held; it is refused on OK like a bad count.
  if (!copies) return false;
  settings_.Copies = *copies;
  return true;
}

void frmPrinterChoice::btnOK_Click() {
  cancelled_ = false;
  repaintControls_();
  if (!settings_.FontName.empty())
    CloseDialog(cancelled_);
  else
    btnFont_Click();  // no font yet: the font dialog comes first
}

void frmPrinterChoice::btnCancel_Click() {
  cancelled_ = true;
  repaintControls_();
  CloseDialog(cancelled_);
}

void frmPrinterChoice::btnFont_Click() {
  fontDetourAsked_ = true;
  Unload();
  repaintControls_();
  // The font dialog, the fresh showing of this dialog and the final repaint follow in
  // PrinterDialogs::Run once this showing has ended, so repeated detours do not nest loops.
}

void frmPrinterChoice::CloseDialog(bool& flag) {
  if (flag) {
    Unload();
    return;
  }
  if (IsBlank(View().Text("cmbPrinter"))) flag = true;
  const bool fits = ConvertCopies();
  if (!fits || settings_.Copies < 1) flag = true;
  if (flag) {
    messages_.Show(kInvalidChoices, MessageIcon::kNone, MessageButtons::kOk);
    return;
  }
  Unload();
}

void frmPrinterChoice::Unload() {
  unloaded_ = true;
  View().Close();
}

}  // namespace vorn::print
