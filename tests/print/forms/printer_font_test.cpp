// "Select a Printer Font" as logic: the sorted list with its none marker, the busy pointer
// while it fills, and what each way of closing does to the font and the cancel flag.
#include <gtest/gtest.h>

#include <algorithm>
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

const std::string kNone = "- None Assigned-";
const std::string kSelectedPrefix = "The Printer Font currently assigned = ";
const std::string kInstructions =
    "Select a Printer Font from the drop down list of Installed PrinterFonts.  You need only do "
    "this once or if you change printers.  The system will remember the font you last used and "
    "will use the same one for this and future printing unless you change it here. Downloading "
    "fonts to the printer may cause the printer output to be considerably slower. If the "
    "printing is to slow select an installed font. Usually, if a font is not supported by this "
    "printer a substitute font will be used. ";

void PressNewFont(View& choice) { choice.Click(Choice::btnFont); }
void PressCancel(View& form) { form.Click(Font::btnCancel); }
void PressOk(View& form) { form.Click(Font::btnOK); }
void PressChoiceCancel(View& choice) { choice.Click(Choice::btnCancel); }
void PressChoiceOk(View& choice) { choice.Click(Choice::btnOK); }

int IndexOf(const View& form, const std::string& face) {
  const Log& items = form.Control(Font::cmbFont).Items;
  return static_cast<int>(std::find(items.begin(), items.end(), face) - items.begin());
}

// Opens the font dialog through New Font, lets `action` work it, and cancels the choice
// dialog that follows.
void RunFontDialog(DialogBed& bed, const ::vorn::testing::ScriptedFormHost::Action& action) {
  bed.host.Then(kChoice, PressNewFont).Then(kFont, action).Then(kChoice, PressChoiceCancel);
  EXPECT_EQ(bed.Run(), "");
}

// Leaves the font dialog's cancel flag as a press on OK (false) or Cancel (true) leaves it,
// without changing the font.
void SetFontCancelled(DialogBed& bed, bool cancelled) {
  RunFontDialog(bed, cancelled ? PressCancel : PressOk);
  ASSERT_EQ(bed.forms.FontCancelled(), cancelled);
}

TEST(PrinterFont, LoadsTheFontsSortedUnderABusyPointer) {
  DialogBed bed;
  bool askedUnderNormalPointer = false;
  bed.printers.onFontAt = [&](int) {
    if (bed.host.Current() == nullptr || !bed.host.Current()->BusyPointer())
      askedUnderNormalPointer = true;
  };
  RunFontDialog(bed, [&](View& form) {
    EXPECT_EQ(form.Caption(), "Select a Printer Font");
    EXPECT_EQ(form.Text(Font::lblInst), kInstructions);
    EXPECT_EQ(form.Text(Font::lblSelected), kSelectedPrefix + "Courier New");
    EXPECT_EQ(form.Text(Font::cmbFont), "Courier New");
    EXPECT_EQ(form.Control(Font::cmbFont).ListIndex, -1);
    // Alphabetical with letter case ignored, the none marker among them.
    EXPECT_EQ(form.Control(Font::cmbFont).Items,
              (Log{kNone, "arial", "Arial Black", "courier", "Courier New", "Lucida Console",
                   "Times New Roman", "Zapf Dingbats"}));
    EXPECT_EQ(bed.printers.fontAtCalls, 7);
    EXPECT_FALSE(askedUnderNormalPointer) << "fonts asked for under the normal pointer";
    EXPECT_FALSE(form.BusyPointer()) << "the busy pointer stayed";
    EXPECT_EQ(form.Focus(), Font::cmbFont);
    PressCancel(form);
  });
}

TEST(PrinterFont, NamesAreShownAsTheyAre) {
  DialogBed bed;
  bed.ctx.PrintSettings.FontName = "<b>Arial</b> & Co";
  RunFontDialog(bed, [](View& form) {
    EXPECT_EQ(form.Text(Font::lblSelected), kSelectedPrefix + "<b>Arial</b> & Co");
    PressCancel(form);
  });
}

TEST(PrinterFont, OpensWithTheNoneMarkerWhenNoFont) {
  DialogBed bed;
  bed.ctx.PrintSettings.FontName.clear();
  bed.host
      .Then(kChoice, PressChoiceOk)  // with no font, OK leads here first
      .Then(kFont,
            [](View& form) {
              EXPECT_EQ(form.Text(Font::lblSelected), kSelectedPrefix + kNone);
              EXPECT_EQ(form.Text(Font::cmbFont), kNone);
              PressCancel(form);
            })
      .Then(kChoice, PressChoiceCancel);
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.FontName, "");
}

struct OkCase {
  const char* name;
  std::string text;
  bool picked;  // picked from the list rather than typed
  std::string fontName;
};

class PrinterFontOk : public ::testing::TestWithParam<OkCase> {};

TEST_P(PrinterFontOk, StoresTheTextOfTheBox) {
  const OkCase& c = GetParam();
  DialogBed bed;
  bed.host.Then(kChoice, PressNewFont)
      .Then(kFont,
            [&](View& form) {
              if (c.picked)
                form.Pick(Font::cmbFont, IndexOf(form, c.text));
              else
                form.TypeInto(Font::cmbFont, c.text);
              PressOk(form);
              EXPECT_TRUE(form.Closed());
            })
      .Then(kChoice, [&](View& form) {
        EXPECT_EQ(form.Text(Choice::txtFont), c.fontName);
        PressChoiceOk(form);
      });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.FontName, c.fontName);
  EXPECT_FALSE(bed.forms.FontCancelled());
  EXPECT_TRUE(bed.messages.shown.empty());
  EXPECT_FALSE(bed.ctx.Cancelled);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PrinterFontOk,
    ::testing::Values(
        OkCase{"Unchanged", "Courier New", false, "Courier New"},
        OkCase{"Picked", "Times New Roman", true, "Times New Roman"},
        OkCase{"PickedLowerCase", "courier", true, "courier"},
        OkCase{"TypedNotListedBlanksKept", "  My Own Face  ", false, "  My Own Face  "},
        OkCase{"NoneMarkerInLowerCase", "- none assigned-", false, "- none assigned-"},
        OkCase{"NoneMarkerWithABlankAfter", kNone + " ", false, kNone + " "},
        OkCase{"BlanksOnly", "   ", false, "Courier New"},
        OkCase{"Empty", "", false, "Courier New"},
        OkCase{"Accented", "Caf\xE9 Sans", false, "Caf\xE9 Sans"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrinterFont, NoneMarkerIsRefusedSilently) {
  DialogBed bed;
  RunFontDialog(bed, [&bed](View& form) {
    form.Pick(Font::cmbFont, IndexOf(form, kNone));
    EXPECT_EQ(form.Text(Font::lblSelected), kSelectedPrefix + kNone);
    PressOk(form);
    EXPECT_FALSE(form.Closed());
    EXPECT_TRUE(bed.messages.shown.empty());
    EXPECT_FALSE(bed.forms.FontCancelled());
    EXPECT_EQ(bed.ctx.PrintSettings.FontName, "Courier New");
    form.Pick(Font::cmbFont, IndexOf(form, "arial"));
    PressOk(form);
    EXPECT_TRUE(form.Closed());
  });
  EXPECT_EQ(bed.ctx.PrintSettings.FontName, "arial");
}

TEST(PrinterFont, OnlyAPickChangesTheStatusLine) {
  DialogBed bed;
  RunFontDialog(bed, [](View& form) {
    form.TypeInto(Font::cmbFont, "Zapf Dingbats");  // a listed face, typed
    form.Tab();
    EXPECT_EQ(form.Text(Font::lblSelected), kSelectedPrefix + "Courier New");
    EXPECT_FALSE(form.Closed());
    form.Pick(Font::cmbFont, IndexOf(form, "Lucida Console"));
    EXPECT_EQ(form.Text(Font::lblSelected), kSelectedPrefix + "Lucida Console");
    PressCancel(form);
  });
}

TEST(PrinterFont, CancelLeavesTheFont) {
  DialogBed bed;
  RunFontDialog(bed, [](View& form) {
    form.Pick(Font::cmbFont, IndexOf(form, "Arial Black"));
    PressCancel(form);
    EXPECT_TRUE(form.Closed());
  });
  EXPECT_EQ(bed.ctx.PrintSettings.FontName, "Courier New");
  EXPECT_TRUE(bed.forms.FontCancelled());
}

TEST(PrinterFont, WindowSystemClose) {
  struct Case {
    bool cancelledBefore;
    std::string text;
    std::string fontName;
  };
  for (const Case& c :
       {Case{false, "Lucida Console", "Lucida Console"}, Case{false, kNone, ""},
        Case{false, "  ", "Courier New"}, Case{true, "Lucida Console", "Courier New"},
        Case{true, kNone, "Courier New"}}) {
    SCOPED_TRACE(::testing::Message()
                 << "cancelled " << c.cancelledBefore << ", '" << c.text << "'");
    DialogBed bed;
    SetFontCancelled(bed, c.cancelledBefore);
    EXPECT_EQ(bed.ctx.PrintSettings.FontName, "Courier New");
    RunFontDialog(bed, [&](View& form) {
      form.TypeInto(Font::cmbFont, c.text);
      form.CloseByWindowSystem();
    });
    EXPECT_EQ(bed.ctx.PrintSettings.FontName, c.fontName);
    EXPECT_EQ(bed.forms.FontCancelled(), c.cancelledBefore);
  }
}

TEST(PrinterFont, CancelThenLaterWindowSystemCloseLeavesTheFont) {
  DialogBed bed;
  bed.host.Then(kChoice, PressNewFont)
      .Then(kFont,
            [](View& form) {
              form.Pick(Font::cmbFont, IndexOf(form, "Arial Black"));
              PressCancel(form);
            })
      .Then(kChoice,
            [&](View& form) {
              EXPECT_EQ(form.Text(Choice::txtFont), "Courier New");
              PressNewFont(form);
            })
      .Then(kFont,
            [](View& form) {
              form.TypeInto(Font::cmbFont, "Lucida Console");
              form.CloseByWindowSystem();
            })
      .Then(kChoice,
            [&](View& form) {
              EXPECT_EQ(form.Text(Choice::txtFont), "Courier New");
              PressNewFont(form);
            })
      .Then(kFont,
            [](View& form) {
              form.TypeInto(Font::cmbFont, "Lucida Console");
              PressOk(form);
            })
      .Then(kChoice, [&](View& form) {
        EXPECT_EQ(form.Text(Choice::txtFont), "Lucida Console");
        PressChoiceOk(form);
      });
  EXPECT_EQ(bed.Run(), "");
  EXPECT_EQ(bed.ctx.PrintSettings.FontName, "Lucida Console");
  EXPECT_FALSE(bed.ctx.Cancelled);
  // Three New Font presses, one OK, three returns.
  EXPECT_EQ(std::count(bed.log.begin(), bed.log.end(), kRepaint), 3 + 1 + 3);
}

TEST(PrinterFont, EachButtonPressed) {
  struct Case {
    forms::ControlId button;
    bool fontCancelled;
    const char* font;
  };
  for (const Case& c :
       {Case{Font::btnOK, false, "Lucida Console"}, Case{Font::btnCancel, true, "Courier New"}}) {
    SCOPED_TRACE(c.button.Row());
    DialogBed bed;
    SetFontCancelled(bed, !c.fontCancelled);
    RunFontDialog(bed, [&](View& form) {
      form.TypeInto(Font::cmbFont, "Lucida Console");
      form.Click(c.button);
      EXPECT_TRUE(form.Closed());
    });
    EXPECT_EQ(bed.forms.FontCancelled(), c.fontCancelled);
    EXPECT_EQ(bed.ctx.PrintSettings.FontName, c.font);
  }
}

TEST(PrinterFont, FontList) {
  struct Case {
    int reportedCount;
    Log items;
  };
  for (const Case& c :
       {Case{0, {kNone}}, Case{-3, {kNone}}, Case{2, {kNone, "arial", "Times New Roman"}}}) {
    SCOPED_TRACE(c.reportedCount);
    DialogBed bed;
    bed.printers.reportedFontCount = c.reportedCount;
    RunFontDialog(bed, [&](View& form) {
      EXPECT_EQ(form.Control(Font::cmbFont).Items, c.items);
      // A face can still be typed.
      form.TypeInto(Font::cmbFont, "Typed Face");
      PressOk(form);
    });
    EXPECT_EQ(bed.printers.fontAtCalls, std::max(c.reportedCount, 0));
    EXPECT_EQ(bed.ctx.PrintSettings.FontName, "Typed Face");
  }
}

TEST(PrinterFont, AtMost32767Fonts) {
  DialogBed bed;
  bed.printers.fonts.clear();
  bed.printers.reportedFontCount = 40000;
  RunFontDialog(bed, [&](View& form) {
    const Log& items = form.Control(Font::cmbFont).Items;
    ASSERT_EQ(items.size(), 32768u);
    EXPECT_EQ(items.front(), kNone);
    EXPECT_EQ(items.back(), "Face 32766");
    PressCancel(form);
  });
  EXPECT_EQ(bed.printers.highestFontIndexAsked, 32766);
  EXPECT_EQ(bed.printers.fontAtCalls, 32767);
}

}  // namespace
}  // namespace vorn::print::testing
