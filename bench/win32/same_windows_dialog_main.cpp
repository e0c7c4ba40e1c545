// A reference for Kelvarin.exe's start-up under Wine that does the same Win32 work without
// Kelvarin's start or form kit: it asks the spooler for its printers, shows the progress window
// modeless, then the printer dialog modally, both from in-memory dialog templates built from
// Kelvarin's layout tables (same captions, control kinds, count, places and fonts), and fills the
// dialog as Kelvarin does before it shows. What is left between the two is the cost of Kelvarin's
// own start (settings, log, form kit), not of the windows a person sees.
#include <windows.h>
#include <winspool.h>

#include <cmath>
#include <string>
#include <vector>

#include "bench/win32/dialog_template.h"
#include "common/forms/form_layout.h"
#include "common/wide_text.h"
#include "gui/win32/classic_font.h"
#include "print/forms/frm_controls.h"
#include "print/forms/frm_printer_choice.h"

namespace {

using vorn::forms::ControlKind;
using vorn::forms::ControlLayout;
using vorn::forms::FormLayout;

constexpr WORD kFirstId = 100;
// "MS Sans Serif" 8 pt's dialog base units at 96 dots per inch: pixels to dialog units.
constexpr double kBaseX = 6.0;
constexpr double kBaseY = 13.0;

short UnitsX(int pixels) { return static_cast<short>(std::lround(pixels * 4 / kBaseX)); }
short UnitsY(int pixels) { return static_cast<short>(std::lround(pixels * 8 / kBaseY)); }

// The system class and style a control of this kind is built from.
std::pair<WORD, DWORD> ClassAndStyle(const ControlLayout& control) {
  switch (control.Kind) {
    case ControlKind::kLabel:
      return {0x0082, SS_NOPREFIX | SS_LEFT};
    case ControlKind::kFrame:
      return {0x0080, BS_GROUPBOX};
    case ControlKind::kComboBox:
      return {0x0085, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL};
    case ControlKind::kTextBox:
      return {0x0081,
              WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | (control.DisplayOnly ? ES_READONLY : 0)};
    case ControlKind::kCommandButton:
      return {0x0080, WS_TABSTOP | BS_PUSHBUTTON};
    case ControlKind::kListBox:
      return {0x0083, WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY};
  }
  return {0x0082, 0};
}

DialogTemplate Template(const FormLayout& form) {
  DialogTemplate dialog(DS_CENTER | WS_POPUP | WS_CAPTION | DS_MODALFRAME,
                        UnitsX(vorn::forms::TwipsToPixels(form.ClientWidth)),
                        UnitsY(vorn::forms::TwipsToPixels(form.ClientHeight)),
                        vorn::AnsiToWide(form.Caption), 8, L"MS Sans Serif");
  for (const ControlLayout& control : form.Controls) {
    const vorn::forms::Rect r = vorn::forms::ClientPixels(form, control);
    const auto [cls, style] = ClassAndStyle(control);
    const int height = control.Kind == ControlKind::kComboBox ? r.Height + 160 : r.Height;
    dialog.AddItem(style, UnitsX(r.Left), UnitsY(r.Top), UnitsX(r.Width), UnitsY(height),
                   static_cast<WORD>(kFirstId + (&control - form.Controls.data())), cls,
                   vorn::AnsiToWide(control.Caption));
  }
  return dialog;
}

// Gives the controls with a font of their own that font, as the program does.
void ApplyFonts(HWND dialog, const FormLayout& form) {
  for (const ControlLayout& control : form.Controls) {
    if (control.Font.Face == nullptr) continue;
    HFONT font = vorn::win32::CreateControlFont(control.Font, 96);
    SendDlgItemMessageW(dialog, kFirstId + static_cast<int>(&control - form.Controls.data()),
                        WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

int Id(const FormLayout& form, vorn::forms::ControlId control) {
  return kFirstId + vorn::forms::GetControl(form, control).Id.Row();
}

INT_PTR CALLBACK ProgressProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    ApplyFonts(dialog, vorn::print::frmControls::kLayout);
    return TRUE;
  }
  return FALSE;
}

// Fills the dialog as the program's form does on load: its two texts, the printers into the
// list, the first one's driver and port, the font and the copies.
INT_PTR CALLBACK ChoiceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  const FormLayout& form = vorn::print::frmPrinterChoice::kLayout;
  if (message == WM_INITDIALOG) {
    ApplyFonts(dialog, form);
    using vorn::print::frmPrinterChoice;
    SetDlgItemTextW(dialog, Id(form, vorn::print::frmPrinterChoice::Control::lblInst),
                    vorn::AnsiToWide(frmPrinterChoice::kInstructions).c_str());
    DWORD needed = 0;
    DWORD count = 0;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    EnumPrintersW(flags, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed > 0 && EnumPrintersW(flags, nullptr, 2, buffer.data(), needed, &needed, &count)) {
      const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
      for (DWORD i = 0; i < count; ++i)
        SendDlgItemMessageW(dialog, Id(form, vorn::print::frmPrinterChoice::Control::cmbPrinter),
                            CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(printers[i].pPrinterName));
      if (count > 0) {
        SendDlgItemMessageW(dialog, Id(form, vorn::print::frmPrinterChoice::Control::cmbPrinter),
                            CB_SETCURSEL, 0, 0);
        const std::wstring selected =
            vorn::AnsiToWide(frmPrinterChoice::kSelectedPrefix) + printers[0].pPrinterName;
        SetDlgItemTextW(dialog, Id(form, vorn::print::frmPrinterChoice::Control::lblSelected),
                        selected.c_str());
        SetDlgItemTextW(dialog, Id(form, vorn::print::frmPrinterChoice::Control::txtType),
                        printers[0].pDriverName);
        SetDlgItemTextW(dialog, Id(form, vorn::print::frmPrinterChoice::Control::txtWhere),
                        printers[0].pPortName);
      }
    }
    SetDlgItemTextW(dialog, Id(form, vorn::print::frmPrinterChoice::Control::txtFont),
                    L"Courier New");
    SetDlgItemTextW(dialog, Id(form, vorn::print::frmPrinterChoice::Control::txtCopies), L"1");
    return TRUE;
  }
  if (message == WM_COMMAND &&
      LOWORD(wParam) == Id(form, vorn::print::frmPrinterChoice::Control::btnOK)) {
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const DialogTemplate progress = Template(vorn::print::frmControls::kLayout);
  HWND shown = CreateDialogIndirectParamW(instance, progress.Get(), nullptr, &ProgressProc, 0);
  if (shown == nullptr) return 1;
  ShowWindow(shown, SW_SHOWNORMAL);
  UpdateWindow(shown);
  const DialogTemplate choice = Template(vorn::print::frmPrinterChoice::kLayout);
  return static_cast<int>(DialogBoxIndirectParamW(instance, choice.Get(), nullptr, &ChoiceProc, 0));
}
