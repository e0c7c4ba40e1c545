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

constexpr TextAlign kRight = TextAlign::kRight;
constexpr ControlKind kLabel = ControlKind::kLabel;
constexpr ControlKind kTextBox = ControlKind::kTextBox;
constexpr ControlKind kButton = ControlKind::kCommandButton;

using Control = frmPrinterChoice::Control;

// Controls in Frame1 are placed relative to it.
// clang-format off
constexpr ControlLayout kControls[] = {
    {.Id = Control::lblSelected, .Name = "lblSelected", .Kind = kLabel,
     .Left = 270, .Top = 135, .Width = 5475, .Height = 285, .TabIndex = 10},
    {.Id = Control::Frame1, .Name = "Frame1", .Kind = ControlKind::kFrame,
     .Caption = "Change Printer",
     .Left = 135, .Top = 495, .Width = 5655, .Height = 1695, .TabIndex = 0},
    {.Id = Control::Label1, .Name = "Label1", .Kind = kLabel,
     .Caption = "Name:", .Container = Control::Frame1,
     .Left = 240, .Top = 360, .Width = 735, .Height = 255, .TabIndex = 2, .Align = kRight},
    {.Id = Control::cmbPrinter, .Name = "cmbPrinter", .Kind = ControlKind::kComboBox,
     .Container = Control::Frame1,
     .Left = 1200, .Top = 360, .Width = 4335, .Height = 315, .TabIndex = 1},
    {.Id = Control::Label4, .Name = "Label4", .Kind = kLabel,
     .Caption = "Where:", .Container = Control::Frame1,
     .Left = 240, .Top = 780, .Width = 735, .Height = 255, .TabIndex = 4, .Align = kRight},
    {.Id = Control::txtWhere, .Name = "txtWhere", .Kind = kTextBox,
     .Container = Control::Frame1,
     .Left = 1200, .Top = 780, .Width = 1995, .Height = 285, .TabIndex = 6, .DisplayOnly = true},
    {.Id = Control::lblCopies, .Name = "lblCopies", .Kind = kLabel,
     .Caption = "Number of copies:", .Container = Control::Frame1,
     .Left = 3510, .Top = 780, .Width = 1500, .Height = 240, .TabIndex = 15, .Align = kRight},
    {.Id = Control::txtCopies, .Name = "txtCopies", .Kind = kTextBox,
     .Container = Control::Frame1,
     .Left = 5040, .Top = 765, .Width = 510, .Height = 285, .TabIndex = 14},
    {.Id = Control::Label3, .Name = "Label3", .Kind = kLabel,
     .Caption = "Driver:", .Container = Control::Frame1,
     .Left = 240, .Top = 1050, .Width = 735, .Height = 255, .TabIndex = 3, .Align = kRight},
    {.Id = Control::txtType, .Name = "txtType", .Kind = kTextBox,
     .Container = Control::Frame1,
     .Left = 1200, .Top = 1050, .Width = 4335, .Height = 285, .TabIndex = 5, .DisplayOnly = true},
    {.Id = Control::Label2, .Name = "Label2", .Kind = kLabel,
     .Caption = "Font:", .Container = Control::Frame1,
     .Left = 240, .Top = 1320, .Width = 735, .Height = 255, .TabIndex = 12, .Align = kRight},
    {.Id = Control::txtFont, .Name = "txtFont", .Kind = kTextBox,
     .Container = Control::Frame1,
     .Left = 1200, .Top = 1305, .Width = 3255, .Height = 285, .TabIndex = 11, .DisplayOnly = true},
    {.Id = Control::btnFont, .Name = "btnFont", .Kind = kButton,
     .Caption = "New Font", .Container = Control::Frame1,
     .Left = 4500, .Top = 1290, .Width = 1035, .Height = 315, .TabIndex = 13},
    {.Id = Control::lblInst, .Name = "lblInst", .Kind = kLabel,
     .Left = 135, .Top = 2295, .Width = 5655, .Height = 795, .TabIndex = 9, .WordWrap = true},
    {.Id = Control::btnOK, .Name = "btnOK", .Kind = kButton,
     .Caption = "OK",
     .Left = 3660, .Top = 3165, .Width = 1035, .Height = 315, .TabIndex = 7},
    {.Id = Control::btnCancel, .Name = "btnCancel", .Kind = kButton,
     .Caption = "Cancel",
     .Left = 4800, .Top = 3165, .Width = 1035, .Height = 315, .TabIndex = 8},
};
// clang-format on
// clang-format on
static_assert(forms::RowsFollow<Control>(kControls));

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
    .Name = "frmPrinterChoice",
    .Caption = "Select Printer",
    .ClientWidth = 5910,
    .ClientHeight = 3525,
    .Border = forms::FormBorder::kFixedDialog,
    .Controls = kControls,
    .FirstFocus = Control::cmbPrinter,
};

frmPrinterChoice::frmPrinterChoice(PrintSettings& settings, bool& cancelled,
                                   PrinterService& printers, MessageBoxes& messages,
                                   std::function<void()> repaintControls)
    : settings_(settings),
      cancelled_(cancelled),
      printers_(printers),
      messages_(messages),
      repaintControls_(std::move(repaintControls)) {}

void frmPrinterChoice::Click(forms::ControlId control) {
  if (control == Control::cmbPrinter) cmbPrinter_Click();
  if (control == Control::btnOK) btnOK_Click();
  if (control == Control::btnCancel) btnCancel_Click();
  if (control == Control::btnFont) btnFont_Click();
}

void frmPrinterChoice::LostFocus(forms::ControlId control) {
  if (control == Control::txtCopies) txtCopies_LostFocus();
}

void frmPrinterChoice::Form_Load() {
  forms::FormView& view = View();
  view.SetText(Control::lblInst, kInstructions);
  view.SetText(Control::lblSelected, kSelectedPrefix + settings_.PrinterName);

  const std::vector<PrinterInfo> printers = printers_.InstalledPrinters();
  for (const PrinterInfo& printer : printers) view.AddItem(Control::cmbPrinter, printer.DeviceName);
  view.SetListIndex(Control::cmbPrinter, -1);  // filling the list picks nothing

  if (const PrinterInfo* found = FindPrinter(printers, settings_.PrinterName)) {
    view.SetListIndex(Control::cmbPrinter, static_cast<int>(found - printers.data()));
    view.SetText(Control::cmbPrinter, found->DeviceName);
    view.SetText(Control::txtType, found->DriverName);
    view.SetText(Control::txtWhere, found->Port);
  }
  view.SetText(Control::txtFont, settings_.FontName);
  view.SetText(Control::txtCopies, std::to_string(settings_.Copies));
  view.Repaint();
}

void frmPrinterChoice::Form_Unload() { unloaded_ = true; }

void frmPrinterChoice::cmbPrinter_Click() {
  forms::FormView& view = View();
  const std::string text = view.Text(Control::cmbPrinter);
  const std::vector<PrinterInfo> printers = printers_.InstalledPrinters();
  if (const PrinterInfo* found = FindPrinter(printers, text)) {
    view.SetText(Control::txtType, found->DriverName);
    view.SetText(Control::txtWhere, found->Port);
  }
  view.SetText(Control::txtFont, settings_.FontName);
  if (!IsBlank(text))
    settings_.PrinterName = text;  // untrimmed
  else
    settings_.PrinterName.clear();
  view.SetText(Control::lblSelected, kSelectedPrefix + settings_.PrinterName);
}

void frmPrinterChoice::txtCopies_LostFocus() {
  // Closing moves the focus on as the window goes; that is no edit of the box.
  if (!unloaded_) ConvertCopies();
}

bool frmPrinterChoice::ConvertCopies() {
  const std::string text = View().Text(Control::txtCopies);
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
  if (IsBlank(View().Text(Control::cmbPrinter))) flag = true;
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
