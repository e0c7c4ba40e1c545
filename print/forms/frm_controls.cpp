#include "print/forms/frm_controls.h"

namespace vorn::print {
namespace {

// clang-format off
constexpr forms::ControlLayout kControls[] = {
    {.Id = frmControls::Control::lblMsg, .Name = "lblMsg", .Kind = forms::ControlKind::kLabel,
     .Caption = "Printing VORN Quote.  Please wait.....",
     .Left = 540, .Top = 240, .Width = 5175, .Height = 435, .TabIndex = 0,
     .Align = forms::TextAlign::kCentre, .Font = {"MS Sans Serif", 9.75, true}},
};
// clang-format on
// clang-format on
static_assert(forms::RowsFollow<frmControls::Control>(kControls));

}  // namespace

const forms::FormLayout frmControls::kLayout = {
    .Name = "frmControls",
    .Caption = "Printing Quote",
    .ClientWidth = 6120,
    .ClientHeight = 975,
    .Border = forms::FormBorder::kFixedSingle,
    .Controls = kControls,
};

void frmControls::Repaint() {
  if (Attached()) View().Repaint();
}

void frmControls::Unload() {
  if (Attached()) View().Close();
}

}  // namespace vorn::print
