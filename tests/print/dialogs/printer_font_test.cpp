// Window tests of "Select a Printer Font", reached as a person reaches it: through New Font in
// "Select Printer". What it lists and shows, and how each way of closing leaves the font.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "common/ansi_text.h"
#include "dialog_driver.h"
#include "dialog_test_bed.h"
#include "print/dialogs/frm_printer_font.h"

using namespace vorn::print;
using namespace vorn::print::test;

namespace {

const QString kChoice = QStringLiteral("frmPrinterChoice");
const QString kFont = QStringLiteral("frmPrinterFont");
const QString kNone = QStringLiteral("- None Assigned-");
const QString kSelectedPrefix = QStringLiteral("The Printer Font currently assigned = ");
const QString kInstructions = QStringLiteral(
    "Select a Printer Font from the drop down list of Installed PrinterFonts.  You need only do "
    "this once or if you change printers.  The system will remember the font you last used and "
    "will use the same one for this and future printing unless you change it here. Downloading "
    "fonts to the printer may cause the printer output to be considerably slower. If the "
    "printing is to slow select an installed font. Usually, if a font is not supported by this "
    "printer a substitute font will be used. ");

template <typename Control>
Control* Find(QWidget& form, const char* name) {
  return form.findChild<Control*>(QString::fromLatin1(name));
}

QComboBox* FontCombo(QDialog& f) { return Find<QComboBox>(f, "cmbFont"); }
QLabel* Selected(QDialog& f) { return Find<QLabel>(f, "lblSelected"); }
QPushButton* Ok(QDialog& f) { return Find<QPushButton>(f, "btnOK"); }
QPushButton* Cancel(QDialog& f) { return Find<QPushButton>(f, "btnCancel"); }

void PressNewFont(QDialog& choice) { Click(Find<QPushButton>(choice, "btnFont")); }
void PressCancel(QDialog& form) { Click(Cancel(form)); }
void PressOk(QDialog& form) { Click(Ok(form)); }

// Opens the font dialog through New Font, lets `action` work it, and cancels the choice
// dialog that follows.
void RunFontDialog(DialogTestBed& bed, const ModalScript::Action& action) {
  ModalScript script(&bed.log);
  script.Then(kChoice, PressNewFont).Then(kFont, action).Then(kChoice, PressCancel);
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
}

// Leaves the font dialog's cancel flag as a press on OK (false) or Cancel (true) leaves it,
// without changing the font.
void SetFontCancelled(DialogTestBed& bed, bool cancelled) {
  RunFontDialog(bed, cancelled ? PressCancel : PressOk);
  QCOMPARE(frmPrinterFont::IsFontCancelled(), cancelled);
}

}  // namespace

class PrinterFontTest : public QObject {
  Q_OBJECT

 private slots:
  void window();
  void geometry_data();
  void geometry();
  void controls();
  void loadsTheFontsSortedUnderABusyPointer();
  void namesAreShownAsTheyAreNeverAsMarkup();
  void opensWithFocusInFontAndTabsInOrder();
  void opensWithTheNoneMarkerWhenNoFont();
  void ok_data();
  void ok();
  void noneMarkerIsRefusedSilently();
  void onlyAPickChangesTheStatusLine();
  void cancelLeavesTheFont();
  void windowSystemClose_data();
  void windowSystemClose();
  void cancelThenLaterWindowSystemCloseLeavesTheFont();
  void enterAndEscapePressNothing_data();
  void enterAndEscapePressNothing();
  void enterPressesTheFocusedButton_data();
  void enterPressesTheFocusedButton();
  void fontList_data();
  void fontList();
  void atMost32767Fonts();
};

void PrinterFontTest::window() {
  DialogTestBed bed;
  RunFontDialog(bed, [](QDialog& form) {
    QCOMPARE(form.windowTitle(), QStringLiteral("Select a Printer Font"));
    QCOMPARE(form.size(), QSize(5910 / 15, 3330 / 15));
    QCOMPARE(form.minimumSize(), form.size());
    QCOMPARE(form.maximumSize(), form.size());
    QVERIFY(form.parentWidget() == nullptr);
    QCOMPARE(form.windowModality(), Qt::ApplicationModal);
    const Qt::WindowFlags flags = form.windowFlags();
    QCOMPARE(form.windowType(), Qt::Dialog);
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    const QPoint offCentre = form.frameGeometry().center() - form.screen()->geometry().center();
    QVERIFY(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1);
    PressCancel(form);
  });
}

void PrinterFontTest::geometry_data() {
  QTest::addColumn<QString>("parent");
  QTest::addColumn<int>("left");
  QTest::addColumn<int>("top");
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("height");
  // Twips, as the form was laid out.
  const QString form = kFont;
  const QString frame = QStringLiteral("Frame1");
  QTest::newRow("lblSelected") << form << 300 << 180 << 5475 << 255;
  QTest::newRow("Frame1") << form << 120 << 540 << 5655 << 855;
  QTest::newRow("Label1") << frame << 240 << 360 << 735 << 255;
  QTest::newRow("cmbFont") << frame << 1200 << 360 << 4335 << 315;
  QTest::newRow("lblInst") << form << 120 << 1500 << 5655 << 1275;
  QTest::newRow("btnOK") << form << 3660 << 2940 << 1035 << 315;
  QTest::newRow("btnCancel") << form << 4800 << 2940 << 1035 << 315;
}

void PrinterFontTest::geometry() {
  QFETCH(QString, parent);
  QFETCH(int, left);
  QFETCH(int, top);
  QFETCH(int, width);
  QFETCH(int, height);
  const QString name = QString::fromLatin1(QTest::currentDataTag());
  DialogTestBed bed;
  RunFontDialog(bed, [&](QDialog& form) {
    auto* control = form.findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->geometry(), QRect(left / 15, top / 15, width / 15, height / 15));
    PressCancel(form);
  });
}

void PrinterFontTest::controls() {
  DialogTestBed bed;
  RunFontDialog(bed, [](QDialog& form) {
    QCOMPARE(Find<QGroupBox>(form, "Frame1")->title(), QStringLiteral("Change Printer Font"));
    auto* name = Find<QLabel>(form, "Label1");
    QCOMPARE(name->text(), QStringLiteral("Name:"));
    QVERIFY(name->alignment().testFlag(Qt::AlignRight));
    auto* instructions = Find<QLabel>(form, "lblInst");
    QVERIFY(instructions->wordWrap());
    // The whole instruction text fits its label as laid out: no line is cut off.
    QCOMPARE(instructions->text(), kInstructions);
    QVERIFY2(instructions->heightForWidth(instructions->width()) <= instructions->height(),
             qPrintable(QStringLiteral("the text needs %1 of %2 pixels")
                            .arg(instructions->heightForWidth(instructions->width()))
                            .arg(instructions->height())));
    QVERIFY(FontCombo(form)->isEditable());
    QCOMPARE(Ok(form)->text(), QStringLiteral("OK"));
    QCOMPARE(Cancel(form)->text(), QStringLiteral("Cancel"));
    for (QPushButton* button : {Ok(form), Cancel(form)})
      QVERIFY(!button->isDefault() && !button->autoDefault());
    PressCancel(form);
  });
}

void PrinterFontTest::namesAreShownAsTheyAreNeverAsMarkup() {
  DialogTestBed bed;
  bed.ctx.PrintSettings.FontName = "<b>Arial</b> & Co";
  RunFontDialog(bed, [](QDialog& form) {
    const auto labels = form.findChildren<QLabel*>();
    for (const QLabel* label : labels)
      QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
    QCOMPARE(Selected(form)->text(), kSelectedPrefix + "<b>Arial</b> & Co");
    PressCancel(form);
  });
}

void PrinterFontTest::loadsTheFontsSortedUnderABusyPointer() {
  DialogTestBed bed;
  RunFontDialog(bed, [&bed](QDialog& form) {
    QCOMPARE(Find<QLabel>(form, "lblInst")->text(), kInstructions);
    QCOMPARE(Selected(form)->text(), kSelectedPrefix + "Courier New");
    QCOMPARE(FontCombo(form)->currentText(), QStringLiteral("Courier New"));
    // Alphabetical with letter case ignored, the none marker among them.
    QCOMPARE(Items(FontCombo(form)),
             QStringList({kNone, "arial", "Arial Black", "courier", "Courier New", "Lucida Console",
                          "Times New Roman", "Zapf Dingbats"}));
    QCOMPARE(bed.printers.fontAtCalls, 7);
    QVERIFY2(!bed.printers.fontAtWithoutBusyPointer, "fonts asked for under the normal pointer");
    QVERIFY2(QGuiApplication::overrideCursor() == nullptr, "the busy pointer stayed");
    PressCancel(form);
  });
}

void PrinterFontTest::opensWithFocusInFontAndTabsInOrder() {
  DialogTestBed bed;
  RunFontDialog(bed, [](QDialog& form) {
    QCOMPARE(FocusName(), QStringLiteral("cmbFont"));
    QCOMPARE(TabWalk(3), QStringList({"btnOK", "btnCancel", "cmbFont"}));
    PressCancel(form);
  });
}

void PrinterFontTest::opensWithTheNoneMarkerWhenNoFont() {
  DialogTestBed bed;
  bed.ctx.PrintSettings.FontName.clear();
  ModalScript script;
  script
      .Then(kChoice, PressOk)  // with no font, OK leads here first
      .Then(kFont,
            [](QDialog& form) {
              QCOMPARE(Selected(form)->text(), kSelectedPrefix + kNone);
              QCOMPARE(FontCombo(form)->currentText(), kNone);
              PressCancel(form);
            })
      .Then(kChoice, PressCancel);
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string());
}

void PrinterFontTest::ok_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("picked");  // picked from the list rather than typed
  QTest::addColumn<QByteArray>("fontName");
  QTest::newRow("unchanged") << "Courier New" << false << QByteArray("Courier New");
  QTest::newRow("picked") << "Times New Roman" << true << QByteArray("Times New Roman");
  QTest::newRow("picked, lower case") << "courier" << true << QByteArray("courier");
  QTest::newRow("typed, not listed, blanks kept")
      << "  My Own Face  " << false << QByteArray("  My Own Face  ");
  QTest::newRow("none marker in lower case")
      << "- none assigned-" << false << QByteArray("- none assigned-");
  QTest::newRow("none marker with a blank after")
      << kNone + " " << false << QByteArray("- None Assigned- ");
  QTest::newRow("blanks only") << "   " << false << QByteArray("Courier New");
  QTest::newRow("empty") << "" << false << QByteArray("Courier New");
  QTest::newRow("accented") << QString::fromUtf8("Caf\u00e9 Sans") << false
                            << QByteArray("Caf\xE9 Sans");
}

void PrinterFontTest::ok() {
  QFETCH(QString, text);
  QFETCH(bool, picked);
  QFETCH(QByteArray, fontName);
  DialogTestBed bed;
  ModalScript script(&bed.log);
  script.Then(kChoice, PressNewFont)
      .Then(kFont,
            [&](QDialog& form) {
              QComboBox* combo = FontCombo(form);
              if (picked)
                QVERIFY(PickFromList(combo, Items(combo).indexOf(text)));
              else
                TypeInto(combo, text);
              PressOk(form);
              QVERIFY(!form.isVisible());
            })
      .Then(kChoice, [&](QDialog& form) {
        QCOMPARE(Find<QLineEdit>(form, "txtFont")->text(),
                 QString::fromStdString(vorn::AnsiToUtf8(fontName.toStdString())));
        PressOk(form);
      });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(QByteArray::fromStdString(bed.ctx.PrintSettings.FontName), fontName);
  QCOMPARE(frmPrinterFont::IsFontCancelled(), false);
  QVERIFY(bed.messages.shown.empty());
  QCOMPARE(bed.ctx.Cancelled, false);
}

void PrinterFontTest::noneMarkerIsRefusedSilently() {
  DialogTestBed bed;
  RunFontDialog(bed, [&bed](QDialog& form) {
    QComboBox* combo = FontCombo(form);
    QVERIFY(PickFromList(combo, Items(combo).indexOf(kNone)));
    QCOMPARE(Selected(form)->text(), kSelectedPrefix + kNone);
    PressOk(form);
    QVERIFY(form.isVisible());
    QVERIFY(bed.messages.shown.empty());
    QCOMPARE(frmPrinterFont::IsFontCancelled(), false);
    QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Courier New"));
    QVERIFY(PickFromList(combo, Items(combo).indexOf("arial")));
    PressOk(form);
    QVERIFY(!form.isVisible());
  });
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("arial"));
}

void PrinterFontTest::onlyAPickChangesTheStatusLine() {
  DialogTestBed bed;
  RunFontDialog(bed, [](QDialog& form) {
    QComboBox* combo = FontCombo(form);
    for (Qt::Key leaveBy : {Qt::Key_Tab, Qt::Key_Return}) {
      TypeInto(combo, QStringLiteral("Zapf Dingbats"));  // a listed face, typed
      PressKey(leaveBy);
      QCOMPARE(Selected(form)->text(), kSelectedPrefix + "Courier New");
    }
    QVERIFY(form.isVisible());
    QVERIFY(PickFromList(combo, Items(combo).indexOf("Lucida Console")));
    QCOMPARE(Selected(form)->text(), kSelectedPrefix + "Lucida Console");
    PressCancel(form);
  });
}

void PrinterFontTest::cancelLeavesTheFont() {
  DialogTestBed bed;
  RunFontDialog(bed, [](QDialog& form) {
    QComboBox* combo = FontCombo(form);
    QVERIFY(PickFromList(combo, Items(combo).indexOf("Arial Black")));
    PressCancel(form);
    QVERIFY(!form.isVisible());
  });
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Courier New"));
  QCOMPARE(frmPrinterFont::IsFontCancelled(), true);
}

void PrinterFontTest::windowSystemClose_data() {
  QTest::addColumn<bool>("cancelledBefore");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QByteArray>("fontName");
  QTest::newRow("after OK, a face") << false << "Lucida Console" << QByteArray("Lucida Console");
  QTest::newRow("after OK, none marker") << false << kNone << QByteArray();
  QTest::newRow("after OK, blanks") << false << "  " << QByteArray("Courier New");
  QTest::newRow("after Cancel, a face") << true << "Lucida Console" << QByteArray("Courier New");
  QTest::newRow("after Cancel, none marker") << true << kNone << QByteArray("Courier New");
}

void PrinterFontTest::windowSystemClose() {
  QFETCH(bool, cancelledBefore);
  QFETCH(QString, text);
  QFETCH(QByteArray, fontName);
  DialogTestBed bed;
  SetFontCancelled(bed, cancelledBefore);
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Courier New"));
  RunFontDialog(bed, [&](QDialog& form) {
    TypeInto(FontCombo(form), text);
    CloseByWindowSystem(&form);
    QVERIFY(!form.isVisible());
  });
  QCOMPARE(QByteArray::fromStdString(bed.ctx.PrintSettings.FontName), fontName);
  QCOMPARE(frmPrinterFont::IsFontCancelled(), cancelledBefore);
}

void PrinterFontTest::cancelThenLaterWindowSystemCloseLeavesTheFont() {
  DialogTestBed bed;
  ModalScript script(&bed.log);
  auto fontBox = [](QDialog& form) { return Find<QLineEdit>(form, "txtFont")->text(); };
  script.Then(kChoice, PressNewFont)
      .Then(kFont,
            [](QDialog& form) {
              QComboBox* combo = FontCombo(form);
              QVERIFY(PickFromList(combo, Items(combo).indexOf("Arial Black")));
              PressCancel(form);
            })
      .Then(kChoice,
            [&](QDialog& form) {
              QCOMPARE(fontBox(form), QStringLiteral("Courier New"));
              PressNewFont(form);
            })
      .Then(kFont,
            [](QDialog& form) {
              TypeInto(FontCombo(form), QStringLiteral("Lucida Console"));
              CloseByWindowSystem(&form);
            })
      .Then(kChoice,
            [&](QDialog& form) {
              QCOMPARE(fontBox(form), QStringLiteral("Courier New"));
              PressNewFont(form);
            })
      .Then(kFont,
            [](QDialog& form) {
              TypeInto(FontCombo(form), QStringLiteral("Lucida Console"));
              PressOk(form);
            })
      .Then(kChoice, [&](QDialog& form) {
        QCOMPARE(fontBox(form), QStringLiteral("Lucida Console"));
        PressOk(form);
      });
  bed.Run(script);
  QVERIFY2(script.Completed(), qPrintable(script.Problems()));
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Lucida Console"));
  QCOMPARE(bed.ctx.Cancelled, false);
  QCOMPARE(bed.log.Count("repaint"), 3 + 1 + 3);  // three New Font presses, one OK, three returns
}

void PrinterFontTest::enterAndEscapePressNothing_data() {
  QTest::addColumn<QString>("focus");
  QTest::addColumn<int>("key");
  for (const char* control : {"cmbFont", "btnOK", "btnCancel"}) {
    const bool button = control[0] == 'b';
    for (auto [keyName, key] :
         {std::pair{"Return", Qt::Key_Return}, std::pair{"Enter", Qt::Key_Enter},
          std::pair{"Escape", Qt::Key_Escape}})
      if (!button || key == Qt::Key_Escape)
        QTest::addRow("%s %s", control, keyName) << QString::fromLatin1(control) << int(key);
  }
}

void PrinterFontTest::enterPressesTheFocusedButton_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<int>("key");
  QTest::addColumn<bool>("fontCancelled");
  QTest::addColumn<QString>("font");
  for (auto [keyName, key] :
       {std::pair{"Return", Qt::Key_Return}, std::pair{"Enter", Qt::Key_Enter}}) {
    QTest::addRow("btnOK %s", keyName) << "btnOK" << int(key) << false << "Lucida Console";
    QTest::addRow("btnCancel %s", keyName) << "btnCancel" << int(key) << true << "Courier New";
  }
}

void PrinterFontTest::enterPressesTheFocusedButton() {
  QFETCH(QString, button);
  QFETCH(int, key);
  QFETCH(bool, fontCancelled);
  QFETCH(QString, font);
  DialogTestBed bed;
  SetFontCancelled(bed, !fontCancelled);
  RunFontDialog(bed, [&](QDialog& form) {
    TypeInto(FontCombo(form), QStringLiteral("Lucida Console"));
    QVERIFY(PressKeyIn(form, button, Qt::Key(key)));
    QTRY_VERIFY(!form.isVisible());
  });
  QCOMPARE(frmPrinterFont::IsFontCancelled(), fontCancelled);
  QCOMPARE(bed.ctx.PrintSettings.FontName, font.toStdString());
}

void PrinterFontTest::enterAndEscapePressNothing() {
  QFETCH(QString, focus);
  QFETCH(int, key);
  DialogTestBed bed;
  SetFontCancelled(bed, true);
  RunFontDialog(bed, [&](QDialog& form) {
    TypeInto(FontCombo(form), QStringLiteral("Lucida Console"));
    QVERIFY(PressKeyIn(form, focus, Qt::Key(key)));
    QTest::qWait(20);
    QVERIFY(form.isVisible());
    QCOMPARE(frmPrinterFont::IsFontCancelled(), true);
    CloseByWindowSystem(&form);
  });
  // Neither OK nor Cancel was pressed: the earlier Cancel still holds the font.
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Courier New"));
}

void PrinterFontTest::fontList_data() {
  QTest::addColumn<int>("reportedCount");
  QTest::addColumn<QStringList>("items");
  QTest::newRow("no fonts") << 0 << QStringList{kNone};
  QTest::newRow("a negative count") << -3 << QStringList{kNone};
  QTest::newRow("two of seven") << 2 << QStringList({kNone, "arial", "Times New Roman"});
}

void PrinterFontTest::fontList() {
  QFETCH(int, reportedCount);
  QFETCH(QStringList, items);
  DialogTestBed bed;
  bed.printers.reportedFontCount = reportedCount;
  RunFontDialog(bed, [&](QDialog& form) {
    QCOMPARE(Items(FontCombo(form)), items);
    // A face can still be typed.
    TypeInto(FontCombo(form), QStringLiteral("Typed Face"));
    PressOk(form);
  });
  QCOMPARE(bed.printers.fontAtCalls, qMax(reportedCount, 0));
  QCOMPARE(bed.ctx.PrintSettings.FontName, std::string("Typed Face"));
}

void PrinterFontTest::atMost32767Fonts() {
  DialogTestBed bed;
  bed.printers.fonts.clear();
  bed.printers.reportedFontCount = 40000;
  QElapsedTimer clock;
  clock.start();
  RunFontDialog(bed, [&](QDialog& form) {
    const QStringList items = Items(FontCombo(form));
    QCOMPARE(items.size(), 32768);
    QCOMPARE(items.first(), kNone);
    QCOMPARE(items.last(), QStringLiteral("Face 32766"));
    PressCancel(form);
  });
  QCOMPARE(bed.printers.highestFontIndexAsked, 32766);
  QCOMPARE(bed.printers.fontAtCalls, 32767);
  qInfo("32767 fonts listed and closed in %lld ms", static_cast<long long>(clock.elapsed()));
}

QTEST_MAIN(PrinterFontTest)
#include "printer_font_test.moc"
