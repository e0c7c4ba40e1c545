#include "print/forms/frm_printer_font.h"

#include <algorithm>

#include "common/blanks.h"

namespace vorn::print {

using forms::ControlKind;
using forms::ControlLayout;
using forms::TextAlign;

namespace {

using Control = frmPrinterFont::Control;

// Controls in Frame1 are placed relative to it.
// clang-format off
constexpr ControlLayout kControls[] = {
    {.Id = Control::lblSelected, .Name = "lblSelected", .Kind = ControlKind::kLabel,
     .Left = 300, .Top = 180, .Width = 5475, .Height = 255, .TabIndex = 6},
    {.Id = Control::Frame1, .Name = "Frame1", .Kind = ControlKind::kFrame,
     .Caption = "Change Printer Font",
     .Left = 120, .Top = 540, .Width = 5655, .Height = 855, .TabIndex = 0},
    {.Id = Control::Label1, .Name = "Label1", .Kind = ControlKind::kLabel,
     .Caption = "Name:", .Container = Control::Frame1,
     .Left = 240, .Top = 360, .Width = 735, .Height = 255, .TabIndex = 2,
     .Align = TextAlign::kRight},
    {.Id = Control::cmbFont, .Name = "cmbFont", .Kind = ControlKind::kComboBox,
     .Container = Control::Frame1,
     .Left = 1200, .Top = 360, .Width = 4335, .Height = 315, .TabIndex = 1},
    {.Id = Control::lblInst, .Name = "lblInst", .Kind = ControlKind::kLabel,
     .Left = 120, .Top = 1500, .Width = 5655, .Height = 1275, .TabIndex = 5, .WordWrap = true},
    {.Id = Control::btnOK, .Name = "btnOK", .Kind = ControlKind::kCommandButton,
     .Caption = "OK",
     .Left = 3660, .Top = 2940, .Width = 1035, .Height = 315, .TabIndex = 3},
    {.Id = Control::btnCancel, .Name = "btnCancel", .Kind = ControlKind::kCommandButton,
     .Caption = "Cancel",
     .Left = 4800, .Top = 2940, .Width = 1035, .Height = 315, .TabIndex = 4},
};
// clang-format on
// clang-format on
static_assert(forms::RowsFollow<Control>(kControls));

constexpr const char* kSelectedPrefix = "The Printer Font currently assigned = ";
constexpr const char* kInstructions =
    "Select a Printer Font from the drop down list of "
    "Installed PrinterFonts.  You need only do this once or if you "
    "change printers.  The system will remember the font "
    "you last used and will use the same one for this and future printing "
    "unless you change it here. "
    "Downloading fonts to the printer may cause the printer output to be considerably slower. "
    "If the printing is to slow select an installed font. "
    "Usually, if a font is not supported by this printer a substitute font will be used. ";
constexpr int kMostFonts = 32767;  // the list's counter is a 16-bit integer

// Letter case ignored, byte by byte in the ANSI code page (ASCII letters folded).
int CompareNoCase(const std::string& a, const std::string& b) {
  const auto fold = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; };
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int d = fold(static_cast<unsigned char>(a[i])) - fold(static_cast<unsigned char>(b[i]));
    if (d != 0) return d;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// The busy pointer for as long as the list fills, given back even when the printer fails.
class BusyPointer {
 public:
  explicit BusyPointer(forms::FormView& view) : view_(view) { view_.SetBusyPointer(true); }
  ~BusyPointer() { view_.SetBusyPointer(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  forms::FormView& view_;
};

}  // namespace

// The caption stored with the window is "Select Printer"; loading sets the real one.
const forms::FormLayout frmPrinterFont::kLayout = {
    .Name = "frmPrinterFont",
    .Caption = "Select Printer",
    .ClientWidth = 5910,
    .ClientHeight = 3330,
    .Border = forms::FormBorder::kFixedDialog,
    .Controls = kControls,
    .FirstFocus = Control::cmbFont,
};

frmPrinterFont::frmPrinterFont(PrintSettings& settings, PrinterService& printers,
                               bool& fontCancelled)
    : settings_(settings), printers_(printers), FontCancelled(fontCancelled) {}

void frmPrinterFont::Click(forms::ControlId control) {
  if (control == Control::cmbFont) cmbFont_Click();
  if (control == Control::btnOK) btnOK_Click();
  if (control == Control::btnCancel) btnCancel_Click();
}

void frmPrinterFont::Form_Load() {
  forms::FormView& view = View();
  BusyPointer busy(view);
  view.Repaint();
  view.SetCaption("Select a Printer Font");
  view.SetText(Control::lblInst, kInstructions);

  const std::string shown = settings_.FontName.empty() ? kNoneMarker : settings_.FontName;
  view.SetText(Control::lblSelected, kSelectedPrefix + shown);
  view.SetText(Control::cmbFont, shown);

  AddSorted(kNoneMarker);
  const int count = std::min(printers_.FontCount(), kMostFonts);
  for (int i = 0; i < count; ++i) AddSorted(printers_.FontAt(i));

  // Filling the list picks nothing; the text set above stays what the box shows.
  view.SetListIndex(Control::cmbFont, -1);
  view.SetText(Control::cmbFont, shown);
}

void frmPrinterFont::AddSorted(const std::string& face) {
  forms::FormView& view = View();
  int low = 0;
  int high = view.ItemCount(Control::cmbFont);
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (CompareNoCase(view.ItemText(Control::cmbFont, middle), face) <= 0)
      low = middle + 1;
    else
      high = middle;
  }
  view.InsertItem(Control::cmbFont, low, face);
}

void frmPrinterFont::cmbFont_Click() {
  View().SetText(Control::lblSelected, kSelectedPrefix + View().Text(Control::cmbFont));
}

void frmPrinterFont::btnOK_Click() {
  FontCancelled = false;
  // The none marker is refused without a word: the dialog simply stays open.
  if (View().Text(Control::cmbFont) != kNoneMarker) View().Close();
}

void frmPrinterFont::btnCancel_Click() {
  FontCancelled = true;
  View().Close();
}

void frmPrinterFont::Form_Unload() {
  if (FontCancelled) return;
  const std::string text = View().Text(Control::cmbFont);
  if (IsBlank(text)) return;
  if (text == kNoneMarker)
    settings_.FontName.clear();
  else
    settings_.FontName = text;  // verbatim: blanks kept, not checked against the list
}

}  // namespace vorn::print
