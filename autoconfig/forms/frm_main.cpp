#include "autoconfig/forms/frm_main.h"

#include "autoconfig/tesmo.h"

namespace vorn::autoconfig {

using forms::ControlKind;
using forms::ControlLayout;
using forms::TextAlign;

namespace {

// name, kind, caption, container, left, top, width, height, tab index, alignment, word wrap,
// display only, enabled, visible, font
const ControlLayout kControls[] = {
    {"lblTitle",
     ControlKind::kLabel,
     "Please wait... configuring Vorn programs...",
     nullptr,
     120,
     120,
     4575,
     375,
     0,
     TextAlign::kLeft,
     true,
     false,
     true,
     true,
     {"MS Sans Serif", 9.75, true}},
    {"lstStatus", ControlKind::kListBox, "", nullptr, 120, 600, 4575, 1035, 1},
    {"cmdClose", ControlKind::kCommandButton, "&Close", nullptr, 3600, 1920, 1095, 375, 2,
     TextAlign::kCentre, false, false, false, true},
    {"lblStatus",
     ControlKind::kLabel,
     "",
     nullptr,
     120,
     1680,
     3375,
     255,
     3,
     TextAlign::kLeft,
     true,
     false,
     true,
     true,
     {"MS Sans Serif", 8.25, true}},
    {"cmdPrint", ControlKind::kCommandButton, "Print Test Page", nullptr, 120, 1920, 1455, 375, 4,
     TextAlign::kCentre, false, false, true, false},
};

}  // namespace

const forms::FormLayout frmMain::kLayout = {
    "frmMain", "", 4815, 2355, forms::FormBorder::kFixedSingleNoTitleBar, kControls, "lstStatus",
};

void frmMain::Click(std::string_view control) {
  if (control == "cmdClose") cmdClose_Click();
  if (control == "cmdPrint") cmdPrint_Click();
}

void frmMain::Show() {
  host_.ShowModeless(*this);
  if (Attached()) View().Repaint();
}

// The window system may close the window whenever it takes messages (while a message box is
// shown): the run then goes on without it.
void frmMain::AddItem(const std::string& text) {
  if (!Attached()) return;
  View().AddItem("lstStatus", text);
  // The run keeps the event loop waiting: show each step as it is listed.
  View().Repaint();
}

void frmMain::SelectLastItem() {
  if (!Attached()) return;
  View().SetListIndex("lstStatus", View().ItemCount("lstStatus") - 1);
}

void frmMain::SetTitle(const std::string& text) {
  if (Attached()) View().SetText("lblTitle", text);
}

void frmMain::SetStatus(const std::string& text) {
  if (Attached()) View().SetText("lblStatus", text);
}

void frmMain::EnableClose() {
  if (Attached()) View().SetEnabled("cmdClose", true);
}

void frmMain::ShowPrint() {
  if (Attached()) View().SetVisible("cmdPrint", true);
}

void frmMain::cmdClose_Click() { View().Close(); }

void frmMain::cmdPrint_Click() { StartKelvarin(ctx_); }

}  // namespace vorn::autoconfig
