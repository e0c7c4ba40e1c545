#include "print/forms/frm_controls.h"

namespace vorn::print {
namespace {

// name, kind, caption, container, left, top, width, height, tab index, alignment, word wrap,
// display only, enabled, visible, font
const forms::ControlLayout kControls[] = {
    {"lblMsg",
     forms::ControlKind::kLabel,
     "Printing VORN Quote.  Please wait.....",
     nullptr,
     540,
     240,
     5175,
     435,
     0,
     forms::TextAlign::kCentre,
     false,
     false,
     true,
     true,
     {"MS Sans Serif", 9.75, true}},
};

}  // namespace

const forms::FormLayout frmControls::kLayout = {
    .Name = "frmControls",
    .Caption = "Printing Quote",
    .ClientWidth = 6120,
    .ClientHeight = 975,
    .Border = forms::FormBorder::kFixedSingle,
    .Controls = kControls,
    .FirstFocus = nullptr,
};

void frmControls::Repaint() {
  if (Attached()) View().Repaint();
}

void frmControls::Unload() {
  if (Attached()) View().Close();
}

}  // namespace vorn::print
