#pragma once

#include <functional>

#include "print/dialogs/fixed_dialog.h"
#include "print/kelvarin_context.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vorn::print {

// "Select Printer": the user confirms or changes the printer and the number of copies, and
// asks for a new font. Works directly on ctx.PrintSettings and ctx.Cancelled. One object is
// one showing: it loads in its constructor and unloads when it closes.
class frmPrinterChoice final : public FixedDialog {
  Q_OBJECT

 public:
  frmPrinterChoice(KelvarinContext& ctx, std::function<void()> repaintControls);
  ~frmPrinterChoice() override;

  // True when New Font closed this showing: the caller then runs the font dialog, shows a
  // fresh printer choice dialog and repaints the progress window once that has returned.
  bool FontDetourAsked() const { return fontDetourAsked_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  void cmbPrinter_Click();
  void txtCopies_LostFocus();
  void btnOK_Click();
  void btnCancel_Click();
  void btnFont_Click();
  void CloseDialog(bool& flag);

  // Reads the copies box into Copies; false (Copies untouched) when the number does not fit.
  bool ConvertCopies();

  KelvarinContext& ctx_;
  std::function<void()> repaintControls_;
  bool fontDetourAsked_ = false;
  bool unloading_ = false;

  QLabel* lblSelected;
  QGroupBox* Frame1;
  QLabel* Label1;
  QComboBox* cmbPrinter;
  QLabel* Label4;
  QLineEdit* txtWhere;
  QLabel* lblCopies;
  QLineEdit* txtCopies;
  QLabel* Label3;
  QLineEdit* txtType;
  QLabel* Label2;
  QLineEdit* txtFont;
  QPushButton* btnFont;
  QLabel* lblInst;
  QPushButton* btnOK;
  QPushButton* btnCancel;
};

}  // namespace vorn::print
