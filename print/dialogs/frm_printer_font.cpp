#include "print/dialogs/frm_printer_font.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <string>

#include "print/dialogs/form_controls.h"

namespace vorn::print {

namespace {

constexpr const char* kSelectedPrefix = "The Printer Font currently assigned = ";
constexpr int kMostFonts = 32767;  // the list's counter is a 16-bit integer

// The busy pointer for as long as the list fills, given back even when the printer fails.
class BusyPointer {
 public:
  BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace

frmPrinterFont::frmPrinterFont(KelvarinContext& ctx)
    : FixedDialog("frmPrinterFont", 5910, 3330), ctx_(ctx) {
  setWindowTitle(QStringLiteral("Select Printer"));

  // Positions in twips: form controls relative to the client area, the rest to Frame1.
  lblSelected = Place(NewLabel(this, {}, Qt::AlignLeft), "lblSelected", 300, 180, 5475, 255);
  Frame1 = Place(new QGroupBox(QStringLiteral("Change Printer Font"), this), "Frame1", 120, 540,
                 5655, 855);
  Label1 = Place(NewLabel(Frame1, QStringLiteral("Name:"), Qt::AlignRight), "Label1", 240, 360,
                 735, 255);
  cmbFont = Place(new QComboBox(Frame1), "cmbFont", 1200, 360, 4335, 315);
  lblInst = Place(NewLabel(this, {}, Qt::AlignLeft), "lblInst", 120, 1500, 5655, 1275);
  btnOK = Place(NewCommandButton(this, QStringLiteral("OK")), "btnOK", 3660, 2940, 1035, 315);
  btnCancel =
      Place(NewCommandButton(this, QStringLiteral("Cancel")), "btnCancel", 4800, 2940, 1035, 315);

  lblInst->setWordWrap(true);
  MakeDropDownCombo(cmbFont);

  setTabOrder(cmbFont, btnOK);
  setTabOrder(btnOK, btnCancel);

  connect(cmbFont, &QComboBox::activated, this, &frmPrinterFont::cmbFont_Click);
  connect(btnOK, &QPushButton::clicked, this, &frmPrinterFont::btnOK_Click);
  connect(btnCancel, &QPushButton::clicked, this, &frmPrinterFont::btnCancel_Click);

  Form_Load();
  cmbFont->setFocus();
}

void frmPrinterFont::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void frmPrinterFont::Form_Load() {
  BusyPointer busy;
  update();
  setWindowTitle(QStringLiteral("Select a Printer Font"));
  lblInst->setText(QStringLiteral(
      "Select a Printer Font from the drop down list of "
      "Installed PrinterFonts.  You need only do this once or if you "
      "change printers.  The system will remember the font "
      "you last used and will use the same one for this and future printing "
      "unless you change it here. "
      "Downloading fonts to the printer may cause the printer output to be considerably slower. "
      "If the printing is to slow select an installed font. "
      "Usually, if a font is not supported by this printer a substitute font will be used. "));

  const QString shown = ctx_.PrintSettings.FontName.empty() ? QString::fromLatin1(kNoneMarker)
                                                            : FromAnsi(ctx_.PrintSettings.FontName);
  lblSelected->setText(QString::fromLatin1(kSelectedPrefix) + shown);
  cmbFont->setEditText(shown);

  AddSorted(QString::fromLatin1(kNoneMarker));
  const int count = std::min(ctx_.Printers.FontCount(), kMostFonts);
  for (int i = 0; i < count; ++i) AddSorted(FromAnsi(ctx_.Printers.FontAt(i)));

  // The first entry added makes itself current; the text set above stays what the box shows.
  cmbFont->setCurrentIndex(-1);
  cmbFont->setEditText(shown);
}

void frmPrinterFont::AddSorted(const QString& face) {
  int low = 0;
  int high = cmbFont->count();
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (QString::compare(cmbFont->itemText(middle), face, Qt::CaseInsensitive) <= 0)
      low = middle + 1;
    else
      high = middle;
  }
  cmbFont->insertItem(low, face);
}

void frmPrinterFont::cmbFont_Click() {
  lblSelected->setText(QString::fromLatin1(kSelectedPrefix) + cmbFont->currentText());
}

void frmPrinterFont::btnOK_Click() {
  FontCancelled = false;
  // The none marker is refused without a word: the dialog simply stays open.
  if (cmbFont->currentText() != QLatin1String(kNoneMarker)) close();
}

void frmPrinterFont::btnCancel_Click() {
  FontCancelled = true;
  close();
}

void frmPrinterFont::Form_Unload() {
  if (FontCancelled) return;
  const std::string text = ToAnsi(cmbFont->currentText());
  if (TrimBlanks(text).empty()) return;
  if (text == kNoneMarker)
    ctx_.PrintSettings.FontName.clear();
  else
    ctx_.PrintSettings.FontName = text;  // verbatim: blanks kept, not checked against the list
}

}  // namespace vorn::print
