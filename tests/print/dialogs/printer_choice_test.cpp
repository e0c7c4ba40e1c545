// Window tests of "Select Printer": what it shows, how each way of closing leaves the printer,
// copies, font and the cancel flag, and the New Font detour through the font dialog.
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "dialog_driver.h"
#include "dialog_test_bed.h"
#include "print/dialogs/frm_printer_font.h"

using namespace vorn::print;
using namespace vorn::print::test;

namespace {

const QString kChoice = QStringLiteral("frmPrinterChoice");
const QString kFont = QStringLiteral("frmPrinterFont");
const QString kSelectedPrefix = QStringLiteral("The VORN Quote Printer currently assigned = ");
const QString kInvalid =
    QStringLiteral("Some of your choices were omitted or are invalid.  Please correct or cancel.");
const QString kInstructions = QStringLiteral(
    "Select a Printer from the drop down list of Installed Printers by depressing the small "
    "'down arrow' button at the right of the white text box.  The initial printer is the default "
    "printer. Selecting a different printer will not change your default printer. ");

template <typename Control>
Control* Find(QWidget& form, const char* name) {
  return form.findChild<Control*>(QString::fromLatin1(name));
}

QComboBox* Printer(QDialog& f) { return Find<QComboBox>(f, "cmbPrinter"); }
QLineEdit* Copies(QDialog& f) { return Find<QLineEdit>(f, "txtCopies"); }
QLineEdit* Type(QDialog& f) { return Find<QLineEdit>(f, "txtType"); }
QLineEdit* Where(QDialog& f) { return Find<QLineEdit>(f, "txtWhere"); }
QLineEdit* FontBox(QDialog& f) { return Find<QLineEdit>(f, "txtFont"); }
QLabel* Selected(QDialog& f) { return Find<QLabel>(f, "lblSelected"); }
QPushButton* Ok(QDialog& f) { return Find<QPushButton>(f, "btnOK"); }
QPushButton* Cancel(QDialog& f) { return Find<QPushButton>(f, "btnCancel"); }
QPushButton* NewFont(QDialog& f) { return Find<QPushButton>(f, "btnFont"); }

}  // namespace

class PrinterChoiceTest : public QObject {
  Q_OBJECT

 private slots:
  void window();
  void geometry_data();
  void geometry();
  void controls();
  void loadsTheSettings();
  void loadsAPrinterThatIsNotInstalled();
  void loadsNegativeCopies();
  void namesAreShownAsTheyAreNeverAsMarkup();
  void opensWithFocusInPrinterAndTabsInOrder();
  void okClosesWithAValidForm();
  void okWithEmptyFontNameOpensTheFontDialog();
  void copies_data();
  void copies();
  void blankPrinterTextIsRefused_data();
  void blankPrinterTextIsRefused();
  void refusedThenCorrectedClosesWithCancelledFalse();
  void refusedThenClosedByWindowSystemStaysCancelled();
  void typedPrinterNameIsNotAPick_data();
  void typedPrinterNameIsNotAPick();
  void pickThenCancelKeepsThePick();
  void pickTakesTheFirstPrinterOfThatName();
  void pickShowsAnsiTexts();
  void cancelKeepsCopiesFromLastLostFocus();
  void switchingWindowsDoesNotLeaveTheCopiesBox();
  void windowSystemClose_data();
  void windowSystemClose();
  void newFontThenOkThenOk();
  void newFontDetourRepeats();
  void enterAndEscapePressNothing_data();
  void enterAndEscapePressNothing();
  void enterPressesTheFocusedButton_data();
  void enterPressesTheFocusedButton();
};

void PrinterChoiceTest::window() {
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [](QDialog& form) {
    QCOMPARE(form.windowTitle(), QStringLiteral("Select Printer"));
    QCOMPARE(form.size(), QSize(5910 / 15, 3525 / 15));
    QCOMPARE(form.minimumSize(), form.size());
    QCOMPARE(form.maximumSize(), form.size());
    QVERIFY(form.parentWidget() == nullptr);
    QCOMPARE(form.windowModality(), Qt::ApplicationModal);
    QVERIFY(form.isModal());
    const Qt::WindowFlags flags = form.windowFlags();
    QCOMPARE(form.windowType(), Qt::Dialog);
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    const QPoint offCentre = form.frameGeometry().center() - form.screen()->geometry().center();
    QVERIFY2(
        qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1,
        qPrintable(QStringLiteral("off centre by %1,%2").arg(offCentre.x()).arg(offCentre.y())));
    Click(Cancel(form));
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
}

void PrinterChoiceTest::geometry_data() {
  QTest::addColumn<QString>("parent");
  QTest::addColumn<int>("left");
  QTest::addColumn<int>("top");
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("height");
  // Twips, as the form was laid out.
  const QString form = kChoice;
  const QString frame = QStringLiteral("Frame1");
  QTest::newRow("lblSelected") << form << 270 << 135 << 5475 << 285;
  QTest::newRow("Frame1") << form << 135 << 495 << 5655 << 1695;
  QTest::newRow("Label1") << frame << 240 << 360 << 735 << 255;
  QTest::newRow("cmbPrinter") << frame << 1200 << 360 << 4335 << 315;
  QTest::newRow("Label4") << frame << 240 << 780 << 735 << 255;
  QTest::newRow("txtWhere") << frame << 1200 << 780 << 1995 << 285;
  QTest::newRow("lblCopies") << frame << 3510 << 780 << 1500 << 240;
  QTest::newRow("txtCopies") << frame << 5040 << 765 << 510 << 285;
  QTest::newRow("Label3") << frame << 240 << 1050 << 735 << 255;
  QTest::newRow("txtType") << frame << 1200 << 1050 << 4335 << 285;
  QTest::newRow("Label2") << frame << 240 << 1320 << 735 << 255;
  QTest::newRow("txtFont") << frame << 1200 << 1305 << 3255 << 285;
  QTest::newRow("btnFont") << frame << 4500 << 1290 << 1035 << 315;
  QTest::newRow("lblInst") << form << 135 << 2295 << 5655 << 795;
  QTest::newRow("btnOK") << form << 3660 << 3165 << 1035 << 315;
  QTest::newRow("btnCancel") << form << 4800 << 3165 << 1035 << 315;
}

void PrinterChoiceTest::geometry() {
  QFETCH(QString, parent);
  QFETCH(int, left);
  QFETCH(int, top);
  QFETCH(int, width);
  QFETCH(int, height);
  const QString name = QString::fromLatin1(QTest::currentDataTag());
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [&](QDialog& form) {
    auto* control = form.findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->objectName(), name);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->geometry(), QRect(left / 15, top / 15, width / 15, height / 15));
    Click(Cancel(form));
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
}

void PrinterChoiceTest::controls() {
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [](QDialog& form) {
    QCOMPARE(Find<QGroupBox>(form, "Frame1")->title(), QStringLiteral("Change Printer"));
    const std::pair<const char*, const char*> rightLabels[] = {{"Label1", "Name:"},
                                                               {"Label4", "Where:"},
                                                               {"lblCopies", "Number of copies:"},
                                                               {"Label3", "Driver:"},
                                                               {"Label2", "Font:"}};
    for (const auto& [name, caption] : rightLabels) {
      auto* label = Find<QLabel>(form, name);
      QVERIFY2(label, name);
      QCOMPARE(label->text(), QString::fromLatin1(caption));
      QVERIFY2(label->alignment().testFlag(Qt::AlignRight), name);
      QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }
    auto* instructions = Find<QLabel>(form, "lblInst");
    QVERIFY(instructions->wordWrap());
    // The whole instruction text fits its label as laid out: no line is cut off.
    QVERIFY(instructions->text().endsWith(QStringLiteral("will not change your default printer. ")));
    QVERIFY2(instructions->heightForWidth(instructions->width()) <= instructions->height(),
             qPrintable(QStringLiteral("the text needs %1 of %2 pixels")
                            .arg(instructions->heightForWidth(instructions->width()))
                            .arg(instructions->height())));

    const std::pair<const char*, const char*> buttons[] = {
        {"btnOK", "OK"}, {"btnCancel", "Cancel"}, {"btnFont", "New Font"}};
    for (const auto& [name, caption] : buttons) {
      auto* button = Find<QPushButton>(form, name);
      QVERIFY2(button, name);
      QCOMPARE(button->text(), QString::fromLatin1(caption));
      QVERIFY2(!button->isDefault() && !button->autoDefault(), name);
    }

    QComboBox* printer = Printer(form);
    QVERIFY(printer->isEditable());
    // Unsorted: the list keeps the order the printers were installed in.
    QCOMPARE(Items(printer), QStringList({"Office Laser", "Front Desk", "Quote Printer",
                                          QString::fromUtf8("Caf\u00e9 Printer"), "Front Desk"}));

    for (QLineEdit* shown : {Where(form), Type(form), FontBox(form)}) {
      QVERIFY2(shown->isReadOnly(), qPrintable(shown->objectName()));
      QCOMPARE(shown->palette().color(QPalette::Base), shown->palette().color(QPalette::Button));
    }
    QLineEdit* copies = Copies(form);
    QVERIFY(!copies->isReadOnly());
    QCOMPARE(copies->palette().color(QPalette::Base),
             QApplication::palette(copies).color(QPalette::Base));
    QVERIFY(copies->palette().color(QPalette::Base) != copies->palette().color(QPalette::Button));
    Click(Cancel(form));
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
}

void PrinterChoiceTest::loadsTheSettings() {
  DialogTestBed bed;
  bed.ctx.PrintSettings.PrinterName = "Quote Printer";
  bed.ctx.PrintSettings.Copies = 4;
  ModalScript script;
  script.Then(kChoice, [](QDialog& form) {
    QCOMPARE(Find<QLabel>(form, "lblInst")->text(), kInstructions);
    QCOMPARE(Selected(form)->text(), kSelectedPrefix + "Quote Printer");
    QCOMPARE(Printer(form)->currentText(), QStringLiteral("Quote Printer"));
    QCOMPARE(Type(form)->text(), QStringLiteral("Generic / Text Only"));
    QCOMPARE(Where(form)->text(), QStringLiteral("LPT1:"));
    QCOMPARE(FontBox(form)->text(), QStringLiteral("Courier New"));
    QCOMPARE(Copies(form)->text(), QStringLiteral("4"));
    Click(Cancel(form));
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
}

void PrinterChoiceTest::loadsAPrinterThatIsNotInstalled() {
  DialogTestBed bed;
  bed.ctx.PrintSettings.PrinterName = "Removed Printer";
  ModalScript script;
  script.Then(kChoice, [&bed](QDialog& form) {
    QCOMPARE(Selected(form)->text(), kSelectedPrefix + "Removed Printer");
    QCOMPARE(Printer(form)->currentText(), QString());
    QCOMPARE(Type(form)->text(), QString());
    QCOMPARE(Where(form)->text(), QString());
    // OK is refused until a printer is picked.
    Click(Ok(form));
    QVERIFY(form.isVisible());
    QCOMPARE(bed.MessageTexts(), QStringList{kInvalid});
    QVERIFY(PickFromList(Printer(form), 1));
    Click(Ok(form));
    QVERIFY(!form.isVisible());
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.PrinterName, std::string("Front Desk"));
  QCOMPARE(bed.ctx.Cancelled, false);
}

void PrinterChoiceTest::namesAreShownAsTheyAreNeverAsMarkup() {
  DialogTestBed bed;
  bed.ctx.PrintSettings.PrinterName = "<b>Sales</b> & <i>Quotes";
  ModalScript script;
  script.Then(kChoice, [](QDialog& form) {
    const auto labels = form.findChildren<QLabel*>();
    for (const QLabel* label : labels)
      QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
    QCOMPARE(Selected(form)->text(), kSelectedPrefix + "<b>Sales</b> & <i>Quotes");
    Click(Cancel(form));
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
}

void PrinterChoiceTest::loadsNegativeCopies() {
  DialogTestBed bed;
  bed.ctx.PrintSettings.Copies = -2;
  ModalScript script;
  script.Then(kChoice, [&bed](QDialog& form) {
    QCOMPARE(Copies(form)->text(), QStringLiteral("-2"));
    Click(Ok(form));
    QVERIFY(form.isVisible());
    QCOMPARE(bed.MessageTexts(), QStringList{kInvalid});
    Click(Cancel(form));
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.Copies, std::int16_t(-2));
  QCOMPARE(bed.ctx.Cancelled, true);
}

void PrinterChoiceTest::opensWithFocusInPrinterAndTabsInOrder() {
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [](QDialog& form) {
    QCOMPARE(FocusName(), QStringLiteral("cmbPrinter"));
    QCOMPARE(TabWalk(8), QStringList({"txtType", "txtWhere", "btnOK", "btnCancel", "txtFont",
                                      "btnFont", "txtCopies", "cmbPrinter"}));
    Click(Cancel(form));
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
}

void PrinterChoiceTest::okClosesWithAValidForm() {
  DialogTestBed bed;
  bed.ctx.Cancelled = true;  // as left by an earlier showing
  ModalScript script(&bed.log);
  script.Then(kChoice, [](QDialog& form) {
    QCOMPARE(Printer(form)->currentText(), QStringLiteral("Office Laser"));
    QCOMPARE(Type(form)->text(), QStringLiteral("HP LaserJet 4250 PCL6"));
    QCOMPARE(Where(form)->text(), QStringLiteral("IP_10.0.0.12"));
    Click(Ok(form));
    QVERIFY(!form.isVisible());
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.Cancelled, false);
  QCOMPARE(bed.ctx.PrintSettings.PrinterName, std::string("Office Laser"));
  QCOMPARE(bed.ctx.PrintSettings.Copies, std::int16_t(1));
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Courier New"));
  QCOMPARE(bed.log.entries, QStringList({"show: frmPrinterChoice", "repaint"}));
  QCOMPARE(bed.printers.outputCalls, 0);
}

void PrinterChoiceTest::okWithEmptyFontNameOpensTheFontDialog() {
  DialogTestBed bed;
  bed.ctx.PrintSettings.FontName.clear();
  bed.ctx.Cancelled = true;
  QPointer<QDialog> first;
  ModalScript script(&bed.log);
  script
      .Then(kChoice,
            [&](QDialog& form) {
              first = &form;
              Click(Ok(form));
              QVERIFY(!form.isVisible());
              QCOMPARE(bed.ctx.Cancelled, false);
            })
      .Then(kFont,
            [&](QDialog& form) {
              QVERIFY2(first.isNull(), "the choice dialog is unloaded before the font dialog");
              TypeInto(Find<QComboBox>(form, "cmbFont"), QStringLiteral("Lucida Console"));
              Click(Ok(form));
            })
      .Then(kChoice, [](QDialog& form) {
        QCOMPARE(FontBox(form)->text(), QStringLiteral("Lucida Console"));
        Click(Ok(form));
      });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Lucida Console"));
  QCOMPARE(bed.ctx.Cancelled, false);
  // OK's own repaint, then the detour's: on leaving, and once the chain has returned.
  QCOMPARE(bed.log.entries,
           QStringList({"show: frmPrinterChoice", "repaint", "repaint", "show: frmPrinterFont",
                        "show: frmPrinterChoice", "repaint", "repaint"}));
}

void PrinterChoiceTest::copies_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("copies");  // Copies afterwards; it was 3 before
  QTest::addColumn<bool>("accepted");
  QTest::newRow("2.5 to even") << "2.5" << 2 << true;
  QTest::newRow("3.5 to even") << "3.5" << 4 << true;
  QTest::newRow("1.5 to even") << "1.5" << 2 << true;
  QTest::newRow("0.5 to even") << "0.5" << 0 << false;
  QTest::newRow("trailing letters") << "12abc" << 12 << true;
  QTest::newRow("exponent") << "1e1" << 10 << true;
  QTest::newRow("letters") << "abc" << 0 << false;
  QTest::newRow("empty") << "" << 0 << false;
  QTest::newRow("minus one") << "-1" << -1 << false;
  QTest::newRow("zero") << "0" << 0 << false;
  QTest::newRow("blanks around") << " 7 " << 7 << true;
  QTest::newRow("blank inside") << "1 2" << 12 << true;
  QTest::newRow("hexadecimal") << "&H10" << 16 << true;
  QTest::newRow("octal") << "&O17" << 15 << true;
  QTest::newRow("largest") << "32767" << 32767 << true;
  // Beyond a 16-bit count: refused like a bad count, Copies keeps its value.
  QTest::newRow("too many") << "99999" << 3 << false;
  QTest::newRow("rounds past the top") << "32767.5" << 3 << false;
  QTest::newRow("far below") << "-40000" << 3 << false;
}

void PrinterChoiceTest::copies() {
  QFETCH(QString, text);
  QFETCH(int, copies);
  QFETCH(bool, accepted);
  DialogTestBed bed;
  bed.ctx.PrintSettings.Copies = 3;
  ModalScript script(&bed.log);
  script.Then(kChoice, [&](QDialog& form) {
    TypeInto(Copies(form), text);
    Click(Ok(form));
    QCOMPARE(!form.isVisible(), accepted);
    if (!accepted) {
      QCOMPARE(bed.ctx.Cancelled, true);
      Click(Cancel(form));
    }
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(int(bed.ctx.PrintSettings.Copies), copies);
  QCOMPARE(bed.ctx.Cancelled, !accepted);
  QCOMPARE(bed.MessageTexts(), accepted ? QStringList() : QStringList{kInvalid});
  for (const auto& box : bed.messages.shown) {
    QVERIFY(box.icon == vorn::MessageIcon::kNone);
    QVERIFY(box.buttons == vorn::MessageButtons::kOk);
  }
}

void PrinterChoiceTest::blankPrinterTextIsRefused_data() {
  QTest::addColumn<QString>("text");
  QTest::newRow("deleted") << QString();
  QTest::newRow("blanks") << QStringLiteral("   ");
}

void PrinterChoiceTest::blankPrinterTextIsRefused() {
  QFETCH(QString, text);
  DialogTestBed bed;
  ModalScript script(&bed.log);
  script.Then(kChoice, [&](QDialog& form) {
    TypeInto(Printer(form), text);
    Click(Ok(form));
    QVERIFY(form.isVisible());
    QCOMPARE(bed.MessageTexts(), QStringList{kInvalid});
    QCOMPARE(bed.ctx.Cancelled, true);
    Click(Cancel(form));
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.PrinterName, std::string("Office Laser"));
  QCOMPARE(bed.ctx.Cancelled, true);
  QCOMPARE(bed.log.entries,
           QStringList({"show: frmPrinterChoice", "repaint", "message: " + kInvalid, "repaint"}));
}

void PrinterChoiceTest::refusedThenCorrectedClosesWithCancelledFalse() {
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [&](QDialog& form) {
    TypeInto(Copies(form), QStringLiteral("0"));
    Click(Ok(form));
    QVERIFY(form.isVisible());
    QCOMPARE(bed.ctx.Cancelled, true);
    TypeInto(Copies(form), QStringLiteral("2"));
    Click(Ok(form));
    QVERIFY(!form.isVisible());
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.Cancelled, false);
  QCOMPARE(bed.ctx.PrintSettings.Copies, std::int16_t(2));
  QCOMPARE(bed.MessageTexts().size(), 1);
}

void PrinterChoiceTest::refusedThenClosedByWindowSystemStaysCancelled() {
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [&](QDialog& form) {
    TypeInto(Copies(form), QStringLiteral("abc"));
    Click(Ok(form));
    QVERIFY(form.isVisible());
    CloseByWindowSystem(&form);
    QVERIFY(!form.isVisible());
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.Cancelled, true);
  QCOMPARE(bed.ctx.PrintSettings.Copies, std::int16_t(0));
}

void PrinterChoiceTest::typedPrinterNameIsNotAPick_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<int>("leaveBy");  // the key that ends the typing
  QTest::newRow("unknown name, Tab") << "Not Installed" << int(Qt::Key_Tab);
  QTest::newRow("installed name, Tab") << "Front Desk" << int(Qt::Key_Tab);
  QTest::newRow("installed name, Enter") << "Front Desk" << int(Qt::Key_Return);
}

void PrinterChoiceTest::typedPrinterNameIsNotAPick() {
  QFETCH(QString, typed);
  QFETCH(int, leaveBy);
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [&](QDialog& form) {
    TypeInto(Printer(form), typed);
    PressKey(Qt::Key(leaveBy));
    QCOMPARE(Printer(form)->currentText(), typed);
    QCOMPARE(Selected(form)->text(), kSelectedPrefix + "Office Laser");
    QCOMPARE(Type(form)->text(), QStringLiteral("HP LaserJet 4250 PCL6"));
    QCOMPARE(Where(form)->text(), QStringLiteral("IP_10.0.0.12"));
    QCOMPARE(bed.ctx.PrintSettings.PrinterName, std::string("Office Laser"));
    QVERIFY(form.isVisible());
    Click(Ok(form));
    QVERIFY(!form.isVisible());
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  // A non-blank text passes OK, but only a pick from the list changes the printer.
  QCOMPARE(bed.ctx.PrintSettings.PrinterName, std::string("Office Laser"));
  QCOMPARE(bed.ctx.Cancelled, false);
  QVERIFY(bed.messages.shown.empty());
}

void PrinterChoiceTest::pickThenCancelKeepsThePick() {
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [&](QDialog& form) {
    QVERIFY(PickFromList(Printer(form), 2));
    QCOMPARE(Printer(form)->currentText(), QStringLiteral("Quote Printer"));
    QCOMPARE(Selected(form)->text(), kSelectedPrefix + "Quote Printer");
    QCOMPARE(Type(form)->text(), QStringLiteral("Generic / Text Only"));
    QCOMPARE(Where(form)->text(), QStringLiteral("LPT1:"));
    QCOMPARE(FontBox(form)->text(), QStringLiteral("Courier New"));
    Click(Cancel(form));
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.PrinterName, std::string("Quote Printer"));
  QCOMPARE(bed.ctx.Cancelled, true);
  QVERIFY(bed.messages.shown.empty());
  QCOMPARE(bed.printers.outputCalls, 0);
}

void PrinterChoiceTest::pickTakesTheFirstPrinterOfThatName() {
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [](QDialog& form) {
    // The second "Front Desk" in the list still shows the first one's driver and port.
    QVERIFY(PickFromList(Printer(form), 4));
    QCOMPARE(Type(form)->text(), QStringLiteral("Brother HL-2270DW"));
    QCOMPARE(Where(form)->text(), QStringLiteral("USB001"));
    Click(Ok(form));
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.PrinterName, std::string("Front Desk"));
}

void PrinterChoiceTest::pickShowsAnsiTexts() {
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [](QDialog& form) {
    QVERIFY(PickFromList(Printer(form), 3));
    QCOMPARE(Printer(form)->currentText(), QString::fromUtf8("Caf\u00e9 Printer"));
    QCOMPARE(Where(form)->text(), QString::fromUtf8("\\\\server\\caf\u00e9"));
    QCOMPARE(Selected(form)->text(), kSelectedPrefix + QString::fromUtf8("Caf\u00e9 Printer"));
    Click(Ok(form));
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.PrinterName, std::string("Caf\xE9 Printer"));
}

void PrinterChoiceTest::cancelKeepsCopiesFromLastLostFocus() {
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [&](QDialog& form) {
    TypeInto(Copies(form), QStringLiteral("5"));
    PressKey(Qt::Key_Tab);  // the focus leaves the copies box
    QCOMPARE(bed.ctx.PrintSettings.Copies, std::int16_t(5));
    TypeInto(Copies(form), QStringLiteral("6"));
    Click(Cancel(form));  // the click takes the focus out of the box first
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.Copies, std::int16_t(6));
  QCOMPARE(bed.ctx.Cancelled, true);
  QVERIFY(bed.messages.shown.empty());
}

void PrinterChoiceTest::switchingWindowsDoesNotLeaveTheCopiesBox() {
  DialogTestBed bed;
  ModalScript script;
  script.Then(kChoice, [&](QDialog& form) {
    TypeInto(Copies(form), QStringLiteral("9"));
    QApplication::setActiveWindow(nullptr);  // another program's window comes to the front
    QVERIFY(QTest::qWaitFor([&form] { return !form.isActiveWindow(); }, 2000));
    QCOMPARE(bed.ctx.PrintSettings.Copies, std::int16_t(1));
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitFor([] { return FocusName() == QStringLiteral("txtCopies"); }, 2000));
    CloseByWindowSystem(&form);
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.Copies, std::int16_t(1));
}

void PrinterChoiceTest::windowSystemClose_data() {
  QTest::addColumn<bool>("cancelledBefore");
  QTest::addColumn<bool>("pick");
  QTest::newRow("cancelled false") << false << false;
  QTest::newRow("cancelled true") << true << false;
  QTest::newRow("after a pick") << false << true;
}

void PrinterChoiceTest::windowSystemClose() {
  QFETCH(bool, cancelledBefore);
  QFETCH(bool, pick);
  DialogTestBed bed;
  bed.ctx.Cancelled = cancelledBefore;
  ModalScript script(&bed.log);
  script.Then(kChoice, [&](QDialog& form) {
    if (pick) QVERIFY(PickFromList(Printer(form), 1));
    // Typed but never left: the copies box is not read.
    TypeInto(Copies(form), QStringLiteral("9"));
    CloseByWindowSystem(&form);
    QVERIFY(!form.isVisible());
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.Cancelled, cancelledBefore);
  QCOMPARE(bed.ctx.PrintSettings.Copies, std::int16_t(1));
  QCOMPARE(bed.ctx.PrintSettings.PrinterName, std::string(pick ? "Front Desk" : "Office Laser"));
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Courier New"));
  QCOMPARE(bed.log.entries, QStringList{"show: frmPrinterChoice"});
}

void PrinterChoiceTest::newFontThenOkThenOk() {
  DialogTestBed bed;
  QPointer<QDialog> first;
  ModalScript script(&bed.log);
  script
      .Then(kChoice,
            [&](QDialog& form) {
              first = &form;
              QVERIFY(PickFromList(Printer(form), 2));
              TypeInto(Copies(form), QStringLiteral("2"));
              Click(NewFont(form));
              QVERIFY(!form.isVisible());
            })
      .Then(kFont,
            [&](QDialog& form) {
              QVERIFY(first.isNull());
              for (QWidget* top : QApplication::topLevelWidgets())
                QVERIFY(!(top->objectName() == kChoice && top->isVisible()));
              auto* font = Find<QComboBox>(form, "cmbFont");
              QVERIFY(PickFromList(font, Items(font).indexOf("Times New Roman")));
              Click(Ok(form));
            })
      .Then(kChoice, [&](QDialog& form) {
        // A fresh showing: the settings as they now are.
        QCOMPARE(FontBox(form)->text(), QStringLiteral("Times New Roman"));
        QCOMPARE(Printer(form)->currentText(), QStringLiteral("Quote Printer"));
        QCOMPARE(Copies(form)->text(), QStringLiteral("2"));
        QCOMPARE(Selected(form)->text(), kSelectedPrefix + "Quote Printer");
        TypeInto(Copies(form), QStringLiteral("3"));
        Click(Ok(form));
      });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Times New Roman"));
  QCOMPARE(bed.ctx.PrintSettings.PrinterName, std::string("Quote Printer"));
  QCOMPARE(bed.ctx.PrintSettings.Copies, std::int16_t(3));
  QCOMPARE(bed.ctx.Cancelled, false);
  QCOMPARE(bed.log.entries,
           QStringList({"show: frmPrinterChoice", "repaint", "show: frmPrinterFont",
                        "show: frmPrinterChoice", "repaint", "repaint"}));
}

void PrinterChoiceTest::newFontDetourRepeats() {
  DialogTestBed bed;
  ModalScript script(&bed.log);
  auto newFont = [](QDialog& form) { Click(NewFont(form)); };
  auto typeFont = [](const QString& face) {
    return [face](QDialog& form) {
      TypeInto(Find<QComboBox>(form, "cmbFont"), face);
      Click(Ok(form));
    };
  };
  script.Then(kChoice, newFont)
      .Then(kFont, typeFont(QStringLiteral("Arial Black")))
      .Then(kChoice, newFont)
      .Then(kFont, typeFont(QStringLiteral("Lucida Console")))
      .Then(kChoice, [](QDialog& form) {
        QCOMPARE(FontBox(form)->text(), QStringLiteral("Lucida Console"));
        Click(Cancel(form));
      });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  // The last showing decides: Cancel.
  QCOMPARE(bed.ctx.Cancelled, true);
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Lucida Console"));
  QCOMPARE(bed.log.entries,
           QStringList({"show: frmPrinterChoice", "repaint", "show: frmPrinterFont",
                        "show: frmPrinterChoice", "repaint", "show: frmPrinterFont",
                        "show: frmPrinterChoice", "repaint", "repaint", "repaint"}));
}

void PrinterChoiceTest::enterAndEscapePressNothing_data() {
  QTest::addColumn<QString>("focus");
  QTest::addColumn<int>("key");
  for (const char* control : {"cmbPrinter", "txtCopies", "btnOK", "btnCancel", "btnFont"}) {
    const bool button = control[0] == 'b';
    for (auto [keyName, key] :
         {std::pair{"Return", Qt::Key_Return}, std::pair{"Enter", Qt::Key_Enter},
          std::pair{"Escape", Qt::Key_Escape}})
      if (!button || key == Qt::Key_Escape)
        QTest::addRow("%s %s", control, keyName) << QString::fromLatin1(control) << int(key);
  }
}

void PrinterChoiceTest::enterAndEscapePressNothing() {
  QFETCH(QString, focus);
  QFETCH(int, key);
  DialogTestBed bed;
  ModalScript script(&bed.log);
  script.Then(kChoice, [&](QDialog& form) {
    QVERIFY(PressKeyIn(form, focus, Qt::Key(key)));
    QTest::qWait(20);
    QVERIFY(form.isVisible());
    QCOMPARE(bed.log.entries, QStringList{"show: frmPrinterChoice"});
    CloseByWindowSystem(&form);
  });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.Cancelled, false);
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Courier New"));
}

void PrinterChoiceTest::enterPressesTheFocusedButton_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<int>("key");
  QTest::addColumn<bool>("cancelled");
  QTest::addColumn<QStringList>("shown");
  const QStringList once{"show: frmPrinterChoice", "repaint"};
  const QStringList detour{"show: frmPrinterChoice", "repaint", "show: frmPrinterFont",
                           "show: frmPrinterChoice", "repaint", "repaint"};
  for (auto [keyName, key] :
       {std::pair{"Return", Qt::Key_Return}, std::pair{"Enter", Qt::Key_Enter}}) {
    QTest::addRow("btnOK %s", keyName) << "btnOK" << int(key) << false << once;
    QTest::addRow("btnCancel %s", keyName) << "btnCancel" << int(key) << true << once;
    QTest::addRow("btnFont %s", keyName) << "btnFont" << int(key) << true << detour;
  }
}

void PrinterChoiceTest::enterPressesTheFocusedButton() {
  QFETCH(QString, button);
  QFETCH(int, key);
  QFETCH(bool, cancelled);
  QFETCH(QStringList, shown);
  DialogTestBed bed;
  ModalScript script(&bed.log);
  script.Then(kChoice, [&](QDialog& form) {
    auto* control = form.findChild<QPushButton*>(button);
    QVERIFY(control);
    QVERIFY(!control->isDefault() && !control->autoDefault());
    QVERIFY(PressKeyIn(form, button, Qt::Key(key)));
  });
  if (button == QStringLiteral("btnFont")) {
    script.Then(kFont, [](QDialog& form) { Click(Cancel(form)); })
        .Then(kChoice, [](QDialog& form) { Click(Cancel(form)); });
  }
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.Cancelled, cancelled);
  QCOMPARE(bed.log.entries, shown);
}

QTEST_MAIN(PrinterChoiceTest)
#include "printer_choice_test.moc"
