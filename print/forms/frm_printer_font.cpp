#include "print/forms/frm_printer_font.h"

#include <algorithm>

#include "common/blanks.h"

namespace vorn::print {

using forms::ControlKind;
using forms::ControlLayout;
using forms::TextAlign;

namespace {

// name, kind, caption, container, left, top, width, height, tab index, alignment, word wrap.
// Controls in Frame1 are placed relative to it.
const ControlLayout kControls[] = {
    {"lblSelected", ControlKind::kLabel, "", nullptr, 300, 180, 5475, 255, 6},
    {"Frame1", ControlKind::kFrame, "Change Printer Font", nullptr, 120, 540, 5655, 855, 0},
    {"Label1", ControlKind::kLabel, "Name:", "Frame1", 240, 360, 735, 255, 2, TextAlign::kRight},
    {"cmbFont", ControlKind::kComboBox, "", "Frame1", 1200, 360, 4335, 315, 1},
    {"lblInst", ControlKind::kLabel, "", nullptr, 120, 1500, 5655, 1275, 5, TextAlign::kLeft, true},
    {"btnOK", ControlKind::kCommandButton, "OK", nullptr, 3660, 2940, 1035, 315, 3},
    {"btnCancel", ControlKind::kCommandButton, "Cancel", nullptr, 4800, 2940, 1035, 315, 4},
};

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
    "frmPrinterFont", "Select Printer", 5910, 3330, forms::FormBorder::kFixedDialog,
    kControls,        "cmbFont",
};

frmPrinterFont::frmPrinterFont(PrintSettings& settings, PrinterService& printers,
                               bool& fontCancelled)
    : settings_(settings), printers_(printers), FontCancelled(fontCancelled) {}

void frmPrinterFont::Click(std::string_view control) {
  if (control == "cmbFont") cmbFont_Click();
  if (control == "btnOK") btnOK_Click();
  if (control == "btnCancel") btnCancel_Click();
}

void frmPrinterFont::Form_Load() {
  forms::FormView& view = View();
  BusyPointer busy(view);
  view.Repaint();
  view.SetCaption("Select a Printer Font");
  view.SetText("lblInst", kInstructions);

  const std::string shown = settings_.FontName.empty() ? kNoneMarker : settings_.FontName;
  view.SetText("lblSelected", kSelectedPrefix + shown);
  view.SetText("cmbFont", shown);

  AddSorted(kNoneMarker);
  const int count = std::min(printers_.FontCount(), kMostFonts);
  for (int i = 0; i < count; ++i) AddSorted(printers_.FontAt(i));

  // Filling the list picks nothing; the text set above stays what the box shows.
  view.SetListIndex("cmbFont", -1);
  view.SetText("cmbFont", shown);
}

void frmPrinterFont::AddSorted(const std::string& face) {
  forms::FormView& view = View();
  int low = 0;
  int high = view.ItemCount("cmbFont");
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (CompareNoCase(view.ItemText("cmbFont", middle), face) <= 0)
      low = middle + 1;
    else
      high = middle;
  }
  view.InsertItem("cmbFont", low, face);
}

void frmPrinterFont::cmbFont_Click() {
  View().SetText("lblSelected", kSelectedPrefix + View().Text("cmbFont"));
}

void frmPrinterFont::btnOK_Click() {
  FontCancelled = false;
  // The none marker is refused without a word: the dialog simply stays open.
  if (View().Text("cmbFont") != kNoneMarker) View().Close();
}

void frmPrinterFont::btnCancel_Click() {
  FontCancelled = true;
  View().Close();
}

void frmPrinterFont::Form_Unload() {
  if (FontCancelled) return;
  const std::string text = View().Text("cmbFont");
  if (IsBlank(text)) return;
  if (text == kNoneMarker)
    settings_.FontName.clear();
  else
    settings_.FontName = text;  // verbatim: blanks kept, not checked against the list
}

}  // namespace vorn::print
