#pragma once

#include "common/forms/form.h"

namespace vorn::print {

// "Printing Quote": the small progress window that stays on screen, modeless, from before the
// printer dialog until the end of the run. It has no behaviour of its own; the printer choice
// dialog has it repainted after each button press.
class frmControls final : public forms::Form {
 public:
  // The controls, in the order of the layout table's rows.
  enum class Control { lblMsg };
  static const forms::FormLayout kLayout;

  const forms::FormLayout& Layout() const override { return kLayout; }

  // Draws the window now, while modal windows come and go over it.
  void Repaint();
  // Closes the window.
  void Unload();
};

}  // namespace vorn::print
