#pragma once

#include <QDialog>
#include <QPoint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "common/forms/form.h"
#include "common/forms/form_view.h"

namespace vorn::gui {

// Any form's window on Qt, built from the form's layout: the window and each control carry the
// layout's names as object names, controls sit where the twips put them, the tab order and
// the first focus follow the table. The window shows what the form's logic asks (FormView)
// and forwards each event to it in one call. No button is a default or cancel button: Enter
// presses only a focused button, Escape presses nothing.
class FormWindow final : public QDialog, public forms::FormView {
  Q_OBJECT

 public:
  // Called inside a catch block when a forwarded event fails with an exception nothing in
  // the form handled (the window system gives such failures nowhere else to go).
  using FailureHandler = std::function<void()>;

  FormWindow(forms::Form& form, FailureHandler onFailure);
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  ~FormWindow() override;

  // The control built for `control`; throws std::invalid_argument when the form has no such
  // control.
  QWidget* Control(forms::ControlId control) const;
  // Where the form's client area starts inside the window (past a border the window draws).
  QPoint ClientOrigin() const { return clientOrigin_; }

  void SetCaption(const std::string& text) override;
  void SetText(forms::ControlId control, const std::string& text) override;
  std::string Text(forms::ControlId control) const override;
  void AddItem(forms::ControlId control, const std::string& text) override;
  void InsertItem(forms::ControlId control, int index, const std::string& text) override;
  int ItemCount(forms::ControlId control) const override;
  std::string ItemText(forms::ControlId control, int index) const override;
  void SetListIndex(forms::ControlId control, int index) override;
  void SetEnabled(forms::ControlId control, bool enabled) override;
  void SetVisible(forms::ControlId control, bool visible) override;
  void Repaint() override;
  void SetBusyPointer(bool busy) override;
  void Close() override;

  // Escape lands here through QDialog; it presses nothing.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Build();
  QWidget* Make(const forms::ControlLayout& control, QWidget* parent);
  // Runs one event handler of the form; a failure goes to the failure handler.
  void Forward(const std::function<void()>& handler);

  forms::Form& form_;
  FailureHandler onFailure_;
  std::vector<QWidget*> controls_;  // by row of the layout table
  QPoint clientOrigin_;
  bool drawsBorder_ = false;
  bool unloaded_ = false;
};

}  // namespace vorn::gui
