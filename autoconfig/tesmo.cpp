#include "autoconfig/tesmo.h"

#include <cctype>
#include <exception>

#include "autoconfig/port_patcher.h"
#include "autoconfig/products.h"

namespace vorn::autoconfig {

namespace {

constexpr char kConfirmText[] =
    "This utility will now automatically configure your Vorn programs.\r\n\r\n"
    "All Vorn programs should be closed prior to clicking the \"OK\" button. If you wish to "
    "manually configure each Vorn program installed, click cancel.";
constexpr char kCancelledText[] =
    "To use this auto configuration utility later, you must reinstall the Print Utility.";
constexpr char kNoArgumentText[] =
    "This program can only be run when installing the Vorn Print Utility.";
constexpr char kNothingFoundText[] =
    "No Vorn programs were found on the drive you installed this utility to!";
constexpr char kFailureText[] =
    "An error has occured. You may need to configure your Vorn programs manually to use the "
    "printer utility.";

std::string UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

void Main(TesmoContext& ctx, StatusWindow& frmMain, const std::string& arguments) {
  bool shown = false;
  try {
    if (ctx.Messages.Show(kConfirmText, MessageIcon::kInformation, MessageButtons::kOkCancel) !=
        MessageAnswer::kOk) {
      ctx.Messages.Show(kCancelledText, MessageIcon::kInformation, MessageButtons::kOk);
      return;
    }
    frmMain.Show();
    shown = true;

    if (arguments.empty()) {
      frmMain.AddItem(kNoArgumentText);
      frmMain.EnableClose();
      return;
    }
    ctx.InstallDrive = arguments.substr(1, 1);
    frmMain.AddItem("Looking for Vorn programs installed on Drive (" + UpperCase(ctx.InstallDrive) +
                    ")");
    frmMain.AddItem("");

    BuildProductTable(ctx.ProductTable);
    for (int i = ProductTable::kLowerBound; i <= ProductTable::kUpperBound; ++i) {
      ProductEntry& row = ctx.ProductTable[i];
      if (FindProduct(ctx, row)) {
        ctx.AnyFound = kTrue;
        frmMain.AddItem(row.DisplayName + " found...");
        SetPrinterPort(row, frmMain);
        // The folder is let go once patched: the window may wait long, and a folder held
        // open cannot be renamed, moved or removed meanwhile.
        row.FoundFolder.reset();
        frmMain.AddItem("");
      }
    }

    if (ctx.AnyFound != kFalse) {
      frmMain.SelectLastItem();
      frmMain.SetStatus("Configuration complete!");
      frmMain.SetTitle("Vorn Auto Config");
      frmMain.EnableClose();
      frmMain.ShowPrint();
      return;
    }
    ctx.Messages.Show(kNothingFoundText, MessageIcon::kCritical, MessageButtons::kOk);
    frmMain.EnableClose();
  } catch (const std::exception&) {
    ctx.Messages.Show(kFailureText, MessageIcon::kWarning, MessageButtons::kOk);
    // The window has no title bar: without Close it could not be closed at all.
    if (shown) frmMain.EnableClose();
  }
}

void StartKelvarin(const TesmoContext& ctx) { ctx.Launch.StartDetached(ctx.KelvarinPath); }

}  // namespace vorn::autoconfig
