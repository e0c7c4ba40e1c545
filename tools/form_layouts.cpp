// Prints every form's layout in client pixels as shell variables, for scripts that work the
// windows with the mouse:
//   form_layouts [DPI]     (dots per inch, 96 when not given)
//   <form>_client='<width> <height>'
//   <form>_<control>='<left> <top> <width> <height>'
// Positions are relative to the form's client area (a frame's position included), by the one
// twips-to-pixels rule the windows use. Controls are listed in their layout table's order.
#include <cstdlib>
#include <iostream>

#include "autoconfig/forms/frm_main.h"
#include "common/forms/form_layout.h"
#include "print/forms/frm_controls.h"
#include "print/forms/frm_printer_choice.h"
#include "print/forms/frm_printer_font.h"

namespace {

void Print(const vorn::forms::FormLayout& form, int dpi) {
  std::cout << form.Name << "_client='" << vorn::forms::TwipsToPixels(form.ClientWidth, dpi) << ' '
            << vorn::forms::TwipsToPixels(form.ClientHeight, dpi) << "'\n";
  for (const vorn::forms::ControlLayout& control : form.Controls) {
    const vorn::forms::Rect r = vorn::forms::ClientPixels(form, control, dpi);
    std::cout << form.Name << '_' << control.Name << "='" << r.Left << ' ' << r.Top << ' '
              << r.Width << ' ' << r.Height << "'\n";
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  const int dpi = argc > 1 ? std::atoi(argv[1]) : 96;
  if (argc > 2 || dpi <= 0) {
    std::cerr << "usage: form_layouts [DPI]\n";
    return 2;
  }
  for (const vorn::forms::FormLayout* form :
       {&vorn::print::frmControls::kLayout, &vorn::print::frmPrinterChoice::kLayout,
        &vorn::print::frmPrinterFont::kLayout, &vorn::autoconfig::frmMain::kLayout})
    Print(*form, dpi);
  return std::cout.good() ? 0 : 1;
}
