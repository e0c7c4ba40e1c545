#include "print/dialogs/frm_printer_choice.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "common/number_parse.h"
#include "print/dialogs/form_controls.h"

namespace vorn::print {

namespace {

constexpr const char* kSelectedPrefix = "The VORN Quote Printer currently assigned = ";
constexpr const char* kInvalidChoices =
    "Some of your choices were omitted or are invalid.  Please correct or cancel.";

// The first installed printer whose device name is exactly `name`, or null.
const PrinterInfo* FindPrinter(const std::vector<PrinterInfo>& printers, const std::string& name) {
  for (const PrinterInfo& printer : printers)
    if (printer.DeviceName == name) return &printer;
  return nullptr;
}

constexpr Qt::AlignmentFlag kRight = Qt::AlignRight;
constexpr Qt::AlignmentFlag kLeft = Qt::AlignLeft;

}  // namespace

frmPrinterChoice::frmPrinterChoice(KelvarinContext& ctx, std::function<void()> repaintControls)
    : FixedDialog("frmPrinterChoice", 5910, 3525),
      ctx_(ctx),
      repaintControls_(std::move(repaintControls)) {
  setWindowTitle(QStringLiteral("Select Printer"));

  // Positions in twips: form controls relative to the client area, the rest to Frame1.
  lblSelected = Place(NewLabel(this, {}, kLeft), "lblSelected", 270, 135, 5475, 285);
  Frame1 =
      Place(new QGroupBox(QStringLiteral("Change Printer"), this), "Frame1", 135, 495, 5655, 1695);
  Label1 = Place(NewLabel(Frame1, QStringLiteral("Name:"), kRight), "Label1", 240, 360, 735, 255);
  cmbPrinter = Place(new QComboBox(Frame1), "cmbPrinter", 1200, 360, 4335, 315);
  Label4 = Place(NewLabel(Frame1, QStringLiteral("Where:"), kRight), "Label4", 240, 780, 735, 255);
  txtWhere = Place(new QLineEdit(Frame1), "txtWhere", 1200, 780, 1995, 285);
  lblCopies = Place(NewLabel(Frame1, QStringLiteral("Number of copies:"), kRight), "lblCopies",
                    3510, 780, 1500, 240);
  txtCopies = Place(new QLineEdit(Frame1), "txtCopies", 5040, 765, 510, 285);
  Label3 =
      Place(NewLabel(Frame1, QStringLiteral("Driver:"), kRight), "Label3", 240, 1050, 735, 255);
  txtType = Place(new QLineEdit(Frame1), "txtType", 1200, 1050, 4335, 285);
  Label2 = Place(NewLabel(Frame1, QStringLiteral("Font:"), kRight), "Label2", 240, 1320, 735, 255);
  txtFont = Place(new QLineEdit(Frame1), "txtFont", 1200, 1305, 3255, 285);
  btnFont =
      Place(NewCommandButton(Frame1, QStringLiteral("New Font")), "btnFont", 4500, 1290, 1035, 315);
  lblInst = Place(NewLabel(this, {}, kLeft), "lblInst", 135, 2295, 5655, 795);
  btnOK = Place(NewCommandButton(this, QStringLiteral("OK")), "btnOK", 3660, 3165, 1035, 315);
  btnCancel =
      Place(NewCommandButton(this, QStringLiteral("Cancel")), "btnCancel", 4800, 3165, 1035, 315);

  lblInst->setWordWrap(true);
  MakeDropDownCombo(cmbPrinter);
  MakeDisplayOnly(txtWhere);
  MakeDisplayOnly(txtType);
  MakeDisplayOnly(txtFont);

  setTabOrder(cmbPrinter, txtType);
  setTabOrder(txtType, txtWhere);
  setTabOrder(txtWhere, btnOK);
  setTabOrder(btnOK, btnCancel);
  setTabOrder(btnCancel, txtFont);
  setTabOrder(txtFont, btnFont);
  setTabOrder(btnFont, txtCopies);

  connect(cmbPrinter, &QComboBox::activated, this, &frmPrinterChoice::cmbPrinter_Click);
  connect(btnOK, &QPushButton::clicked, this, &frmPrinterChoice::btnOK_Click);
  connect(btnCancel, &QPushButton::clicked, this, &frmPrinterChoice::btnCancel_Click);
  connect(btnFont, &QPushButton::clicked, this, &frmPrinterChoice::btnFont_Click);
  txtCopies->installEventFilter(this);

  Form_Load();
  cmbPrinter->setFocus();
}

frmPrinterChoice::~frmPrinterChoice() { txtCopies->removeEventFilter(this); }

void frmPrinterChoice::closeEvent(QCloseEvent* event) {
  // Any close unloads the form; the buttons have set Cancelled before, the window system not.
  unloading_ = true;
  event->accept();
}

bool frmPrinterChoice::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtCopies && event->type() == QEvent::FocusOut && !unloading_) {
    // The focus leaves the box only for another control of this form; switching windows,
    // a message box or an opened list keeps it there.
    Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      txtCopies_LostFocus();
  }
  return FixedDialog::eventFilter(watched, event);
}

void frmPrinterChoice::Form_Load() {
  PrintSettings& settings = ctx_.PrintSettings;
  lblInst->setText(QStringLiteral(
      "Select a Printer from the drop down list of "
      "Installed Printers by depressing the small 'down arrow' button at "
      "the right of the white text box.  The initial printer is the default printer. "
      "Selecting a different printer will not change your default printer. "));
  lblSelected->setText(QString::fromLatin1(kSelectedPrefix) + FromAnsi(settings.PrinterName));

  const std::vector<PrinterInfo> printers = ctx_.Printers.InstalledPrinters();
  for (const PrinterInfo& printer : printers) cmbPrinter->addItem(FromAnsi(printer.DeviceName));
  cmbPrinter->setCurrentIndex(-1);  // filling the list picks nothing

  if (const PrinterInfo* found = FindPrinter(printers, settings.PrinterName)) {
    cmbPrinter->setCurrentIndex(static_cast<int>(found - printers.data()));
    cmbPrinter->setEditText(FromAnsi(found->DeviceName));
    txtType->setText(FromAnsi(found->DriverName));
    txtWhere->setText(FromAnsi(found->Port));
  }
  txtFont->setText(FromAnsi(settings.FontName));
  txtCopies->setText(QString::number(settings.Copies));
  update();
}

void frmPrinterChoice::cmbPrinter_Click() {
  PrintSettings& settings = ctx_.PrintSettings;
  const std::string text = ToAnsi(cmbPrinter->currentText());
  const std::vector<PrinterInfo> printers = ctx_.Printers.InstalledPrinters();
  if (const PrinterInfo* found = FindPrinter(printers, text)) {
    txtType->setText(FromAnsi(found->DriverName));
    txtWhere->setText(FromAnsi(found->Port));
  }
  txtFont->setText(FromAnsi(settings.FontName));
  if (!TrimBlanks(text).empty())
    settings.PrinterName = text;
  else
    settings.PrinterName.clear();
  lblSelected->setText(QString::fromLatin1(kSelectedPrefix) + FromAnsi(settings.PrinterName));
}

void frmPrinterChoice::txtCopies_LostFocus() { ConvertCopies(); }

bool frmPrinterChoice::ConvertCopies() {
  const std::string text = ToAnsi(txtCopies->text());
  const std::optional<std::int16_t> copies = RoundToInt16(LeadingNumber(TrimBlanks(text)));
  // A number beyond the 16-bit range cannot be held; it is refused on OK like a bad count.
  if (!copies) return false;
  ctx_.PrintSettings.Copies = *copies;
  return true;
}

void frmPrinterChoice::btnOK_Click() {
  ctx_.Cancelled = false;
  repaintControls_();
  if (!ctx_.PrintSettings.FontName.empty())
    CloseDialog(ctx_.Cancelled);
  else
    btnFont_Click();  // no font yet: the font dialog comes first
}

void frmPrinterChoice::btnCancel_Click() {
  ctx_.Cancelled = true;
  repaintControls_();
  CloseDialog(ctx_.Cancelled);
}

void frmPrinterChoice::btnFont_Click() {
  fontDetourAsked_ = true;
  close();
  repaintControls_();
  // The font dialog, the fresh showing of this dialog and the final repaint follow in
  // RunPrinterChoice once this showing has ended, so repeated detours do not nest loops.
}

void frmPrinterChoice::CloseDialog(bool& flag) {
  if (flag) {
    close();
    return;
  }
  if (TrimBlanks(ToAnsi(cmbPrinter->currentText())).empty()) flag = true;
  const bool fits = ConvertCopies();
  if (!fits || ctx_.PrintSettings.Copies < 1) flag = true;
  if (flag) {
    ctx_.Messages.Show(kInvalidChoices, MessageIcon::kNone, MessageButtons::kOk);
    return;
  }
  close();
}

}  // namespace vorn::print
