#include "autoconfig/forms/frm_main.h"

#include "autoconfig/tesmo.h"

namespace vorn::autoconfig {

using forms::ControlKind;
using forms::ControlLayout;
using forms::TextAlign;

namespace {

using Control = frmMain::Control;

// clang-format off
constexpr ControlLayout kControls[] = {
    {.Id = Control::lblTitle, .Name = "lblTitle", .Kind = ControlKind::kLabel,
     .Caption = "Please wait... configuring Vorn programs...",
     .Left = 120, .Top = 120, .Width = 4575, .Height = 375, .TabIndex = 0,
     .WordWrap = true, .Font = {"MS Sans Serif", 9.75, true}},
    {.Id = Control::lstStatus, .Name = "lstStatus", .Kind = ControlKind::kListBox,
     .Left = 120, .Top = 600, .Width = 4575, .Height = 1035, .TabIndex = 1},
    {.Id = Control::cmdClose, .Name = "cmdClose", .Kind = ControlKind::kCommandButton,
     .Caption = "&Close",
     .Left = 3600, .Top = 1920, .Width = 1095, .Height = 375, .TabIndex = 2,
     .Align = TextAlign::kCentre, .Enabled = false},
    {.Id = Control::lblStatus, .Name = "lblStatus", .Kind = ControlKind::kLabel,
     .Left = 120, .Top = 1680, .Width = 3375, .Height = 255, .TabIndex = 3,
     .WordWrap = true, .Font = {"MS Sans Serif", 8.25, true}},
    {.Id = Control::cmdPrint, .Name = "cmdPrint", .Kind = ControlKind::kCommandButton,
     .Caption = "Print Test Page",
     .Left = 120, .Top = 1920, .Width = 1455, .Height = 375, .TabIndex = 4,
     .Align = TextAlign::kCentre, .Visible = false},
};
// clang-format on
// clang-format on
static_assert(forms::RowsFollow<Control>(kControls));

}  // namespace

const forms::FormLayout frmMain::kLayout = {
    .Name = "frmMain",
    .Caption = "",
    .ClientWidth = 4815,
    .ClientHeight = 2355,
    .Border = forms::FormBorder::kFixedSingleNoTitleBar,
    .Controls = kControls,
    .FirstFocus = Control::lstStatus,
};

void frmMain::Click(forms::ControlId control) {
  if (control == Control::cmdClose) cmdClose_Click();
  if (control == Control::cmdPrint) cmdPrint_Click();
}

void frmMain::Show() {
  host_.ShowModeless(*this);
  if (Attached()) View().Repaint();
}

// The window system may close the window whenever it takes messages (while a message box is
// shown): the run then goes on without it.
void frmMain::AddItem(const std::string& text) {
  if (!Attached()) return;
  View().AddItem(Control::lstStatus, text);
  // The run keeps the event loop waiting: show each step as it is listed.
  View().Repaint();
}

void frmMain::SelectLastItem() {
  if (!Attached()) return;
  View().SetListIndex(Control::lstStatus, View().ItemCount(Control::lstStatus) - 1);
}

void frmMain::SetTitle(const std::string& text) {
  if (Attached()) View().SetText(Control::lblTitle, text);
}

void frmMain::SetStatus(const std::string& text) {
  if (Attached()) View().SetText(Control::lblStatus, text);
}

void frmMain::EnableClose() {
  if (Attached()) View().SetEnabled(Control::cmdClose, true);
}

void frmMain::ShowPrint() {
  if (Attached()) View().SetVisible(Control::cmdPrint, true);
}

void frmMain::cmdClose_Click() { View().Close(); }

void frmMain::cmdPrint_Click() { StartKelvarin(ctx_); }

}  // namespace vorn::autoconfig
