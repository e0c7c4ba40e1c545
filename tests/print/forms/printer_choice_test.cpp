// "Select Printer" as logic: what it shows, how each way of closing leaves the printer,
// copies, font and the cancel flag, and the New Font detour through the font dialog.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dialog_bed.h"
#include "print/forms/frm_printer_choice.h"
#include "print/forms/frm_printer_font.h"

namespace vorn::print::testing {
namespace {

using Log = std::vector<std::string>;
using Choice = frmPrinterChoice::Control;
using Font = frmPrinterFont::Control;

const std::string kSelectedPrefix = "The VORN Quote Printer currently assigned = ";
const std::string kInvalid =
    "Some of your choices were omitted or are invalid.  Please correct or cancel.";
const std::string kInstructions =
    "Select a Printer from the drop down list of Installed Printers by depressing the small "
    "'down arrow' button at the right of the white text box.  The initial printer is the default "
    "printer. Selecting a different printer will not change your default printer. ";

void Cancel(View& form) { form.Click(Choice::btnCancel); }
void CancelFont(View& form) { form.Click(Font::btnCancel); }

TEST(PrinterChoice, LoadsTheSettings) {
  DialogBed bed;
  bed.ctx.PrintSettings.PrinterName = "Quote Printer";
  bed.ctx.PrintSettings.Copies = 4;
  bed.host.Then(kChoice, [](View& form) {
    EXPECT_EQ(form.Caption(), "Select Printer");
    EXPECT_EQ(form.Text(Choice::lblInst), kInstructions);
    EXPECT_EQ(form.Text(Choice::lblSelected), kSelectedPrefix + "Quote Printer");
    EXPECT_EQ(form.Text(Choice::cmbPrinter), "Quote Printer");
    EXPECT_EQ(form.Control(Choice::cmbPrinter).ListIndex, 2);
    EXPECT_EQ(form.Text(Choice::txtType), "Generic / Text Only");
    EXPECT_EQ(form.Text(Choice::txtWhere), "LPT1:");
    EXPECT_EQ(form.Text(Choice::txtFont), "Courier New");
    EXPECT_EQ(form.Text(Choice::txtCopies), "4");
    // Unsorted: the list keeps the order the printers were installed in.
    EXPECT_EQ(
        form.Control(Choice::cmbPrinter).Items,
        (Log{"Office Laser", "Front Desk", "Quote Printer", "Caf\xE9 Printer", "Front Desk"}));
    EXPECT_EQ(form.Focus(), Choice::cmbPrinter);
    Cancel(form);
  });
  EXPECT_EQ(bed.Run(), "");
}

TEST(PrinterChoice, LoadsAPrinterThatIsNotInstalled) {
  DialogBed bed;
  bed.ctx.PrintSettings.PrinterName = "Removed Printer";
  bed.host.Then(kChoice, [&bed](View& form) {
    EXPECT_EQ(form.Text(Choice::lblSelected), kSelectedPrefix + "Removed Printer");
    EXPECT_EQ(form.Text(Choice::cmbPrinter), "");
    EXPECT_EQ(form.Control(Choice::cmbPrinter).ListIndex, -1);
    EXPECT_EQ(form.Text(Choice::txtType), "");
    EXPECT_EQ(form.Text(Choice::txtWhere), "");
    // OK is refused until a printer is picked.
    form.Click(Choice::btnOK);
    EXPECT_FALSE(form.Closed());
    EXPECT_EQ(bed.messages.Texts(), Log{kInvalid});
    form.Pick(Choice::cmbPrinter, 1);
    form.Click(Choice::btnOK);
    EXPECT_TRUE(form.Closed());
  });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.PrinterName, "Front Desk");
  EXPECT_FALSE(bed.ctx.Cancelled);
}

TEST(PrinterChoice, NamesAreShownAsTheyAre) {
  DialogBed bed;
  bed.ctx.PrintSettings.PrinterName = "<b>Sales</b> & <i>Quotes";
  bed.host.Then(kChoice, [](View& form) {
    EXPECT_EQ(form.Text(Choice::lblSelected), kSelectedPrefix + "<b>Sales</b> & <i>Quotes");
    Cancel(form);
  });
  EXPECT_EQ(bed.Run(), "");
}

TEST(PrinterChoice, LoadsNegativeCopies) {
  DialogBed bed;
  bed.ctx.PrintSettings.Copies = -2;
  bed.host.Then(kChoice, [&bed](View& form) {
    EXPECT_EQ(form.Text(Choice::txtCopies), "-2");
    form.Click(Choice::btnOK);
    EXPECT_FALSE(form.Closed());
    EXPECT_EQ(bed.messages.Texts(), Log{kInvalid});
    Cancel(form);
  });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.Copies, -2);
  EXPECT_TRUE(bed.ctx.Cancelled);
}

TEST(PrinterChoice, OkClosesWithAValidForm) {
  DialogBed bed;
  bed.ctx.Cancelled = true;  // as left by an earlier showing
  bed.host.Then(kChoice, [](View& form) {
    EXPECT_EQ(form.Text(Choice::cmbPrinter), "Office Laser");
    EXPECT_EQ(form.Text(Choice::txtType), "HP LaserJet 4250 PCL6");
    EXPECT_EQ(form.Text(Choice::txtWhere), "IP_10.0.0.12");
    form.Click(Choice::btnOK);
    EXPECT_TRUE(form.Closed());
  });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_FALSE(bed.ctx.Cancelled);
  EXPECT_EQ(bed.ctx.PrintSettings.PrinterName, "Office Laser");
  EXPECT_EQ(bed.ctx.PrintSettings.Copies, 1);
  EXPECT_EQ(bed.ctx.PrintSettings.FontName, "Courier New");
  EXPECT_EQ(bed.log, (Log{"show: frmPrinterChoice", kRepaint}));
  EXPECT_EQ(bed.printers.OutputCalls(), 0);
}

TEST(PrinterChoice, OkWithEmptyFontNameOpensTheFontDialog) {
  DialogBed bed;
  bed.ctx.PrintSettings.FontName.clear();
  bed.ctx.Cancelled = true;
  View* first = nullptr;
  bed.host
      .Then(kChoice,
            [&](View& form) {
              first = &form;
              form.Click(Choice::btnOK);
              EXPECT_TRUE(form.Closed());
              EXPECT_FALSE(bed.ctx.Cancelled);
            })
      .Then(kFont,
            [&](View& form) {
              EXPECT_EQ(form.Text(Font::cmbFont), "- None Assigned-");
              form.TypeInto(Font::cmbFont, "Lucida Console");
              form.Click(Font::btnOK);
            })
      .Then(kChoice, [](View& form) {
        EXPECT_EQ(form.Text(Choice::txtFont), "Lucida Console");
        form.Click(Choice::btnOK);
      });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.FontName, "Lucida Console");
  EXPECT_FALSE(bed.ctx.Cancelled);
  // OK's own repaint, then the detour's: on leaving, and once the chain has returned.
  EXPECT_EQ(bed.log, (Log{"show: frmPrinterChoice", kRepaint, kRepaint, "show: frmPrinterFont",
                          "show: frmPrinterChoice", kRepaint, kRepaint}));
}

struct CopiesCase {
  const char* name;
  const char* text;
  int copies;  // Copies afterwards; it was 3 before
  bool accepted;
};

class PrinterChoiceCopies : public ::testing::TestWithParam<CopiesCase> {};

TEST_P(PrinterChoiceCopies, OkReadsTheCopiesBox) {
  const CopiesCase& c = GetParam();
  DialogBed bed;
  bed.ctx.PrintSettings.Copies = 3;
  bed.host.Then(kChoice, [&](View& form) {
    form.TypeInto(Choice::txtCopies, c.text);
    form.Click(Choice::btnOK);
    EXPECT_EQ(form.Closed(), c.accepted);
    if (!c.accepted) {
      EXPECT_TRUE(bed.ctx.Cancelled);
      Cancel(form);
    }
  });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.Copies, c.copies);
  EXPECT_EQ(bed.ctx.Cancelled, !c.accepted);
  EXPECT_EQ(bed.messages.Texts(), c.accepted ? Log{} : Log{kInvalid});
  for (const auto& box : bed.messages.shown) {
    EXPECT_EQ(box.icon, MessageIcon::kNone);
    EXPECT_EQ(box.buttons, MessageButtons::kOk);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PrinterChoiceCopies,
    ::testing::Values(
        CopiesCase{"HalfToEven25", "2.5", 2, true}, CopiesCase{"HalfToEven35", "3.5", 4, true},
        CopiesCase{"HalfToEven15", "1.5", 2, true}, CopiesCase{"HalfToEven05", "0.5", 0, false},
        CopiesCase{"TrailingLetters", "12abc", 12, true}, CopiesCase{"Exponent", "1e1", 10, true},
        CopiesCase{"Letters", "abc", 0, false}, CopiesCase{"Empty", "", 0, false},
        CopiesCase{"MinusOne", "-1", -1, false}, CopiesCase{"Zero", "0", 0, false},
        CopiesCase{"BlanksAround", " 7 ", 7, true}, CopiesCase{"BlankInside", "1 2", 12, true},
        CopiesCase{"Hexadecimal", "&H10", 16, true}, CopiesCase{"Octal", "&O17", 15, true},
        CopiesCase{"Largest", "32767", 32767, true},
        // Beyond a 16-bit count: refused like a bad count, Copies keeps its value.
        CopiesCase{"TooMany", "99999", 3, false},
        CopiesCase{"RoundsPastTheTop", "32767.5", 3, false},
        CopiesCase{"FarBelow", "-40000", 3, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrinterChoice, BlankPrinterTextIsRefused) {
  for (const char* text : {"", "   "}) {
    SCOPED_TRACE(std::string("printer text '") + text + "'");
    DialogBed bed;
    bed.host.Then(kChoice, [&](View& form) {
      form.TypeInto(Choice::cmbPrinter, text);
      form.Click(Choice::btnOK);
      EXPECT_FALSE(form.Closed());
      EXPECT_EQ(bed.messages.Texts(), Log{kInvalid});
      EXPECT_TRUE(bed.ctx.Cancelled);
      Cancel(form);
    });
    EXPECT_EQ(bed.Run(), "");
    EXPECT_EQ(bed.ctx.PrintSettings.PrinterName, "Office Laser");
    EXPECT_TRUE(bed.ctx.Cancelled);
    EXPECT_EQ(bed.log, (Log{"show: frmPrinterChoice", kRepaint, "message: " + kInvalid, kRepaint}));
  }
}

TEST(PrinterChoice, RefusedThenCorrectedClosesWithCancelledFalse) {
  DialogBed bed;
  bed.host.Then(kChoice, [&](View& form) {
    form.TypeInto(Choice::txtCopies, "0");
    form.Click(Choice::btnOK);
    EXPECT_FALSE(form.Closed());
    EXPECT_TRUE(bed.ctx.Cancelled);
    form.TypeInto(Choice::txtCopies, "2");
    form.Click(Choice::btnOK);
    EXPECT_TRUE(form.Closed());
  });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_FALSE(bed.ctx.Cancelled);
  EXPECT_EQ(bed.ctx.PrintSettings.Copies, 2);
  EXPECT_EQ(bed.messages.shown.size(), 1u);
}

TEST(PrinterChoice, RefusedThenClosedByWindowSystemStaysCancelled) {
  DialogBed bed;
  bed.host.Then(kChoice, [&](View& form) {
    form.TypeInto(Choice::txtCopies, "abc");
    form.Click(Choice::btnOK);
    EXPECT_FALSE(form.Closed());
    form.CloseByWindowSystem();
  });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_TRUE(bed.ctx.Cancelled);
  EXPECT_EQ(bed.ctx.PrintSettings.Copies, 0);
}

TEST(PrinterChoice, TypedPrinterNameIsNotAPick) {
  for (const char* typed : {"Not Installed", "Front Desk"}) {
    SCOPED_TRACE(typed);
    DialogBed bed;
    bed.host.Then(kChoice, [&](View& form) {
      form.TypeInto(Choice::cmbPrinter, typed);
      form.Tab();
      EXPECT_EQ(form.Text(Choice::cmbPrinter), typed);
      EXPECT_EQ(form.Text(Choice::lblSelected), kSelectedPrefix + "Office Laser");
      EXPECT_EQ(form.Text(Choice::txtType), "HP LaserJet 4250 PCL6");
      EXPECT_EQ(form.Text(Choice::txtWhere), "IP_10.0.0.12");
      EXPECT_EQ(bed.ctx.PrintSettings.PrinterName, "Office Laser");
      form.Click(Choice::btnOK);
      EXPECT_TRUE(form.Closed());
    });
    EXPECT_EQ(bed.Run(), "");
    // A non-blank text passes OK, but only a pick from the list changes the printer.
    EXPECT_EQ(bed.ctx.PrintSettings.PrinterName, "Office Laser");
    EXPECT_FALSE(bed.ctx.Cancelled);
    EXPECT_TRUE(bed.messages.shown.empty());
  }
}

TEST(PrinterChoice, PickThenCancelKeepsThePick) {
  DialogBed bed;
  bed.host.Then(kChoice, [&](View& form) {
    form.Pick(Choice::cmbPrinter, 2);
    EXPECT_EQ(form.Text(Choice::cmbPrinter), "Quote Printer");
    EXPECT_EQ(form.Text(Choice::lblSelected), kSelectedPrefix + "Quote Printer");
    EXPECT_EQ(form.Text(Choice::txtType), "Generic / Text Only");
    EXPECT_EQ(form.Text(Choice::txtWhere), "LPT1:");
    EXPECT_EQ(form.Text(Choice::txtFont), "Courier New");
    Cancel(form);
  });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.PrinterName, "Quote Printer");
  EXPECT_TRUE(bed.ctx.Cancelled);
  EXPECT_TRUE(bed.messages.shown.empty());
  EXPECT_EQ(bed.printers.OutputCalls(), 0);
}

TEST(PrinterChoice, PickTakesTheFirstPrinterOfThatName) {
  DialogBed bed;
  bed.host.Then(kChoice, [](View& form) {
    // The second "Front Desk" in the list still shows the first one's driver and port.
    form.Pick(Choice::cmbPrinter, 4);
    EXPECT_EQ(form.Text(Choice::txtType), "Brother HL-2270DW");
    EXPECT_EQ(form.Text(Choice::txtWhere), "USB001");
    form.Click(Choice::btnOK);
  });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.PrinterName, "Front Desk");
}

TEST(PrinterChoice, PickKeepsAnsiTexts) {
  DialogBed bed;
  bed.host.Then(kChoice, [](View& form) {
    form.Pick(Choice::cmbPrinter, 3);
    EXPECT_EQ(form.Text(Choice::cmbPrinter), "Caf\xE9 Printer");
    EXPECT_EQ(form.Text(Choice::txtWhere), "\\\\server\\caf\xE9");
    EXPECT_EQ(form.Text(Choice::lblSelected), kSelectedPrefix + "Caf\xE9 Printer");
    form.Click(Choice::btnOK);
  });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.PrinterName, "Caf\xE9 Printer");
}

TEST(PrinterChoice, CancelKeepsCopiesFromLastLostFocus) {
  DialogBed bed;
  bed.host.Then(kChoice, [&](View& form) {
    form.TypeInto(Choice::txtCopies, "5");
    form.Tab();  // the focus leaves the copies box
    EXPECT_EQ(bed.ctx.PrintSettings.Copies, 5);
    form.TypeInto(Choice::txtCopies, "6");
    Cancel(form);  // the click takes the focus out of the box first
  });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.Copies, 6);
  EXPECT_TRUE(bed.ctx.Cancelled);
  EXPECT_TRUE(bed.messages.shown.empty());
}

TEST(PrinterChoice, WindowSystemClose) {
  struct Case {
    bool cancelledBefore;
    bool pick;
  };
  for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true}}) {
    SCOPED_TRACE(::testing::Message() << "cancelled " << c.cancelledBefore << ", pick " << c.pick);
    DialogBed bed;
    bed.ctx.Cancelled = c.cancelledBefore;
    bed.host.Then(kChoice, [&](View& form) {
      if (c.pick) form.Pick(Choice::cmbPrinter, 1);
      // Typed but never left: the copies box is not read.
      form.TypeInto(Choice::txtCopies, "9");
      form.CloseByWindowSystem();
    });
    EXPECT_EQ(bed.Run(), "");
    EXPECT_EQ(bed.ctx.Cancelled, c.cancelledBefore);
    EXPECT_EQ(bed.ctx.PrintSettings.Copies, 1);
    EXPECT_EQ(bed.ctx.PrintSettings.PrinterName, c.pick ? "Front Desk" : "Office Laser");
    EXPECT_EQ(bed.ctx.PrintSettings.FontName, "Courier New");
    EXPECT_EQ(bed.log, Log{"show: frmPrinterChoice"});
  }
}

TEST(PrinterChoice, NewFontThenOkThenOk) {
  DialogBed bed;
  bed.host
      .Then(kChoice,
            [&](View& form) {
              form.Pick(Choice::cmbPrinter, 2);
              form.TypeInto(Choice::txtCopies, "2");
              form.Click(Choice::btnFont);
              EXPECT_TRUE(form.Closed());
            })
      .Then(kFont,
            [&](View& form) {
              const Log& items = form.Control(Font::cmbFont).Items;
              form.Pick(Font::cmbFont,
                        static_cast<int>(std::find(items.begin(), items.end(), "Times New Roman") -
                                         items.begin()));
              form.Click(Font::btnOK);
            })
      .Then(kChoice, [&](View& form) {
        // A fresh showing: the settings as they now are.
        EXPECT_EQ(form.Text(Choice::txtFont), "Times New Roman");
        EXPECT_EQ(form.Text(Choice::cmbPrinter), "Quote Printer");
        EXPECT_EQ(form.Text(Choice::txtCopies), "2");
        EXPECT_EQ(form.Text(Choice::lblSelected), kSelectedPrefix + "Quote Printer");
        form.TypeInto(Choice::txtCopies, "3");
        form.Click(Choice::btnOK);
      });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.FontName, "Times New Roman");
  EXPECT_EQ(bed.ctx.PrintSettings.PrinterName, "Quote Printer");
  EXPECT_EQ(bed.ctx.PrintSettings.Copies, 3);
  EXPECT_FALSE(bed.ctx.Cancelled);
  EXPECT_EQ(bed.log, (Log{"show: frmPrinterChoice", kRepaint, "show: frmPrinterFont",
                          "show: frmPrinterChoice", kRepaint, kRepaint}));
}

TEST(PrinterChoice, NewFontDetourRepeats) {
  DialogBed bed;
  auto newFont = [](View& form) { form.Click(Choice::btnFont); };
  auto typeFont = [](const std::string& face) {
    return [face](View& form) {
      form.TypeInto(Font::cmbFont, face);
      form.Click(Font::btnOK);
    };
  };
  bed.host.Then(kChoice, newFont)
      .Then(kFont, typeFont("Arial Black"))
      .Then(kChoice, newFont)
      .Then(kFont, typeFont("Lucida Console"))
      .Then(kChoice, [](View& form) {
        EXPECT_EQ(form.Text(Choice::txtFont), "Lucida Console");
        Cancel(form);
      });
  EXPECT_EQ(bed.Run(), "");
  // The last showing decides: Cancel.
  EXPECT_TRUE(bed.ctx.Cancelled);
  EXPECT_EQ(bed.ctx.PrintSettings.FontName, "Lucida Console");
  EXPECT_EQ(bed.log, (Log{"show: frmPrinterChoice", kRepaint, "show: frmPrinterFont",
                          "show: frmPrinterChoice", kRepaint, "show: frmPrinterFont",
                          "show: frmPrinterChoice", kRepaint, kRepaint, kRepaint}));
}

TEST(PrinterChoice, EachButtonPressed) {
  struct Case {
    forms::ControlId button;
    bool cancelled;
    Log shown;
  };
  const Log once{"show: frmPrinterChoice", kRepaint};
  const Log detour{"show: frmPrinterChoice", kRepaint, "show: frmPrinterFont",
                   "show: frmPrinterChoice", kRepaint, kRepaint};
  for (const Case& c : {Case{Choice::btnOK, false, once}, Case{Choice::btnCancel, true, once},
                        Case{Choice::btnFont, true, detour}}) {
    SCOPED_TRACE(c.button.Row());
    DialogBed bed;
    bed.host.Then(kChoice, [&](View& form) { form.Click(c.button); });
    if (c.button == Choice::btnFont) bed.host.Then(kFont, CancelFont).Then(kChoice, Cancel);
    EXPECT_EQ(bed.Run(), "");
    EXPECT_EQ(bed.ctx.Cancelled, c.cancelled);
    EXPECT_EQ(bed.log, c.shown);
  }
}

TEST(PrinterChoice, EveryCloseUnloadsOnce) {
  DialogBed bed;
  bed.host.Then(kChoice, [](View& form) {
    form.Click(Choice::btnOK);
    EXPECT_EQ(form.Unloads(), 1);
  });
  EXPECT_EQ(bed.Run(), "");
}

}  // namespace
}  // namespace vorn::print::testing
