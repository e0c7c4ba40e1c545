#pragma once

#include "print/dialogs/fixed_dialog.h"
#include "print/kelvarin_context.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace vorn::print {

// "Select a Printer Font": the user picks one of the current printer's fonts, types a face
// name, or picks the none marker for no font. Writes ctx.PrintSettings.FontName when it
// closes, unless Cancel was the last button pressed in any showing. One object is one
// showing: it loads in its constructor and unloads when it closes.
class frmPrinterFont final : public FixedDialog {
  Q_OBJECT

 public:
  // Stands in the list for "no font"; never stored as a face name.
  static constexpr const char* kNoneMarker = "- None Assigned-";

  explicit frmPrinterFont(KelvarinContext& ctx);

  // Whether Cancel was the last of OK and Cancel pressed in any showing in this process.
  static bool IsFontCancelled() { return FontCancelled; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Form_Load();
  void cmbFont_Click();
  void btnOK_Click();
  void btnCancel_Click();
  void Form_Unload();

  // Inserts `face` at its place in the list, letter case ignored.
  void AddSorted(const QString& face);

  // Outlives every showing: it is not reset when the form loads or unloads.
  inline static bool FontCancelled = false;

  KelvarinContext& ctx_;

  QLabel* lblSelected;
  QGroupBox* Frame1;
  QLabel* Label1;
  QComboBox* cmbFont;
  QLabel* lblInst;
  QPushButton* btnOK;
  QPushButton* btnCancel;
};

}  // namespace vorn::print
