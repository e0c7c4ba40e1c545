#pragma once

#include <QWidget>
#include <functional>

#include "autoconfig/status_window.h"
#include "autoconfig/tesmo_context.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace vorn::autoconfig {

// Tesmo's status window: no title bar, fixed size, centred. Its controls carry their names as
// object names (lblTitle, lstStatus, cmdClose, lblStatus, cmdPrint).
class frmMain final : public QWidget, public StatusWindow {
  Q_OBJECT

 public:
  // `endProgram` ends Tesmo with an exit status after a failure nothing handles; by default
  // it leaves the application's event loop.
  explicit frmMain(TesmoContext& ctx, std::function<void(int)> endProgram = {});
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  void Show() override;
  void AddItem(const std::string& text) override;
  void SelectLastItem() override;
  void SetTitle(const std::string& text) override;
  void SetStatus(const std::string& text) override;
  void EnableClose() override;
  void ShowPrint() override;

 private:
  // Lets the window paint what it shows so far while the run keeps the event loop waiting.
  void PaintNow();
  void cmdClose_Click();
  void cmdPrint_Click();

  TesmoContext& ctx_;
  std::function<void(int)> endProgram_;
  QLabel* lblTitle;
  QListWidget* lstStatus;
  QPushButton* cmdClose;
  QLabel* lblStatus;
  QPushButton* cmdPrint;
};

}  // namespace vorn::autoconfig
