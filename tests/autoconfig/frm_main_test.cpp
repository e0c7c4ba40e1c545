#include "autoconfig/frm_main.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "autoconfig/tesmo.h"
#include "fake_tree_search.h"
#include "recording_message_boxes.h"
#include "temp_dir.h"
#include "wine_prefix.h"

namespace vorn::autoconfig {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;

namespace {

// Counts how often a widget was shown.
class ShowCounter final : public QObject {
 public:
  int shows = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) ++shows;
    return QObject::eventFilter(watched, event);
  }
};

QStringList Items(const QListWidget* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

// One Tesmo run against a window: message boxes answered in-process, Kelvarin replaced by
// `kelvarin_path`, and the program's end recorded instead of happening.
struct Run {
  explicit Run(TreeSearch& search) : ctx(boxes, search), window(ctx, [this](int s) { ended = s; }) {
    window.installEventFilter(&shows);
  }
  template <typename T>
  T* Control(const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
  }
  QLabel* lblTitle() { return Control<QLabel>("lblTitle"); }
  QListWidget* lstStatus() { return Control<QListWidget>("lstStatus"); }
  QPushButton* cmdClose() { return Control<QPushButton>("cmdClose"); }
  QLabel* lblStatus() { return Control<QLabel>("lblStatus"); }
  QPushButton* cmdPrint() { return Control<QPushButton>("cmdPrint"); }

  testing::RecordingMessageBoxes boxes;
  TesmoContext ctx;
  std::optional<int> ended;
  frmMain window;
  ShowCounter shows;
};

const QString kWaitTitle = QStringLiteral("Please wait... configuring Vorn programs...");

}  // namespace

class FrmMainTest : public QObject {
  Q_OBJECT

 private slots:
  void geometryAndInitialStatesFollowTheTable();
  void cancelAtTheFirstMessageShowsNoWindowAndTouchesNothing();
  void noArgumentEndState();
  void oneCharacterEndsInNothingFound();
  void twoProgramsTheSecondPatchFailing();
  void allSixteenFound();
  void aFailingSearchLeavesTheWindowClosable();
  void closeUnloadsTheWindow();
  void printTestPageStartsKelvarinOnEveryClick();
  void printTestPageWithoutKelvarinEndsWithTheRunTimeErrorReport();
};

void FrmMainTest::geometryAndInitialStatesFollowTheTable() {
  testing::FakeTreeSearch search;
  Run run(search);
  QWidget& w = run.window;
  // A thin fixed border and nothing else: no title bar, no system menu, no buttons.
  const Qt::WindowFlags flags = w.windowFlags();
  QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
  QVERIFY(!flags.testFlag(Qt::FramelessWindowHint));
  for (Qt::WindowType hint : {Qt::WindowTitleHint, Qt::WindowSystemMenuHint,
                              Qt::WindowCloseButtonHint, Qt::WindowMinMaxButtonsHint})
    QVERIFY(!flags.testFlag(hint));
  QVERIFY(w.isWindow());
  QCOMPARE(w.size(), QSize(321, 157));  // 4815 x 2355 twips
  QCOMPARE(w.minimumSize(), QSize(321, 157));
  QCOMPARE(w.maximumSize(), QSize(321, 157));
  QCOMPARE(w.windowTitle(), QString());

  struct Expected {
    const char* name;
    QRect twips;
  };
  const Expected controls[] = {
      {"lblTitle", QRect(120, 120, 4575, 375)},   {"lstStatus", QRect(120, 600, 4575, 1035)},
      {"cmdClose", QRect(3600, 1920, 1095, 375)}, {"lblStatus", QRect(120, 1680, 3375, 255)},
      {"cmdPrint", QRect(120, 1920, 1455, 375)},
  };
  for (const Expected& c : controls) {
    QWidget* control = run.Control<QWidget>(c.name);
    QVERIFY2(control != nullptr, c.name);
    const QRect pixels(c.twips.x() / 15, c.twips.y() / 15, c.twips.width() / 15,
                       c.twips.height() / 15);
    QCOMPARE(control->geometry(), pixels);
  }

  QCOMPARE(run.lblTitle()->text(), kWaitTitle);
  QCOMPARE(run.lblTitle()->font().family(), QStringLiteral("MS Sans Serif"));
  QCOMPARE(run.lblTitle()->font().pointSizeF(), 9.75);
  QVERIFY(run.lblTitle()->font().bold());
  QCOMPARE(run.lblStatus()->text(), QString());
  QCOMPARE(run.lblStatus()->font().family(), QStringLiteral("MS Sans Serif"));
  QCOMPARE(run.lblStatus()->font().pointSizeF(), 8.25);
  QVERIFY(run.lblStatus()->font().bold());
  QCOMPARE(run.cmdClose()->text(), QStringLiteral("&Close"));
  QCOMPARE(run.cmdPrint()->text(), QStringLiteral("Print Test Page"));
  QCOMPARE(run.lstStatus()->count(), 0);
  QCOMPARE(run.lstStatus()->selectionMode(), QAbstractItemView::SingleSelection);
  QVERIFY(run.lstStatus()->isEnabled());
  QVERIFY(!run.cmdClose()->isEnabled());
  QVERIFY(run.cmdPrint()->isHidden());
  QVERIFY(run.cmdPrint()->isEnabled());
  QVERIFY(!run.lblTitle()->isHidden());
  QVERIFY(!run.lblStatus()->isHidden());
  QVERIFY(!run.cmdClose()->isHidden());

  // Tab order: list, Close, Print Test Page (the labels take no focus).
  const QList<QWidget*> controls_in_order{run.lstStatus(), run.cmdClose(), run.cmdPrint()};
  QList<QWidget*> chain;
  QWidget* next = run.lstStatus();
  do {
    if (controls_in_order.contains(next)) chain << next;
    next = next->nextInFocusChain();
  } while (next != run.lstStatus());
  QCOMPARE(chain, controls_in_order);
  QCOMPARE(run.lblTitle()->focusPolicy(), Qt::NoFocus);
  QCOMPARE(run.lblStatus()->focusPolicy(), Qt::NoFocus);

  // Shown centred on the screen.
  run.window.Show();
  QVERIFY(run.window.isVisible());
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QPoint offset = run.window.geometry().center() - screen.center();
  QVERIFY2(std::abs(offset.x()) <= 1 && std::abs(offset.y()) <= 1, "not centred");
}

void FrmMainTest::cancelAtTheFirstMessageShowsNoWindowAndTouchesNothing() {
  testing::WinePrefix wine;
  const fs::path file = wine.Drive() / "vorn" / "PROG03.DTA";
  WriteBytes(file, "P=1\r");
  const auto modified = fs::last_write_time(file);
  Run run(SystemTreeSearch());
  run.boxes.answers = {MessageAnswer::kCancel};
  Main(run.ctx, run.window, "/d");
  QCOMPARE(run.boxes.shown.size(), size_t{2});
  QCOMPARE(run.boxes.shown[0].text, std::string(testing::kConfirmText));
  QCOMPARE(run.boxes.shown[0].icon, MessageIcon::kInformation);
  QCOMPARE(run.boxes.shown[0].buttons, MessageButtons::kOkCancel);
  QCOMPARE(run.boxes.shown[1].text, std::string(testing::kCancelledText));
  QCOMPARE(run.boxes.shown[1].icon, MessageIcon::kInformation);
  QCOMPARE(run.boxes.shown[1].buttons, MessageButtons::kOk);
  QCOMPARE(run.shows.shows, 0);
  QVERIFY(!run.window.isVisible());
  QCOMPARE(ReadBytes(file), std::string("P=1\r"));
  QVERIFY(fs::last_write_time(file) == modified);
  QCOMPARE(run.ctx.ProductTable[2].FoundPath, std::string());
}

void FrmMainTest::noArgumentEndState() {
  testing::FakeTreeSearch search;
  Run run(search);
  Main(run.ctx, run.window, "");
  QVERIFY(run.window.isVisible());
  QCOMPARE(Items(run.lstStatus()),
           QStringList{"This program can only be run when installing the Vorn Print Utility."});
  QCOMPARE(run.lblTitle()->text(), kWaitTitle);
  QCOMPARE(run.lblStatus()->text(), QString());
  QVERIFY(run.cmdClose()->isEnabled());
  QVERIFY(run.cmdPrint()->isHidden());
  QVERIFY(search.calls.empty());
  QCOMPARE(run.boxes.shown.size(), size_t{1});
}

void FrmMainTest::oneCharacterEndsInNothingFound() {
  testing::WinePrefix wine;
  WriteBytes(wine.Drive() / "vorn" / "PROG01.DTA", "x1\r\n");
  Run run(SystemTreeSearch());
  bool close_enabled_during_message = true;
  run.boxes.on_show = [&](const auto& shown) {
    if (shown.icon == MessageIcon::kCritical)
      close_enabled_during_message = run.cmdClose()->isEnabled();
  };
  Main(run.ctx, run.window, "d");
  QCOMPARE(Items(run.lstStatus()),
           (QStringList{"Looking for Vorn programs installed on Drive ()", ""}));
  QCOMPARE(run.boxes.shown.size(), size_t{2});
  QCOMPARE(run.boxes.shown[1].text, std::string(testing::kNothingFoundText));
  QCOMPARE(run.boxes.shown[1].icon, MessageIcon::kCritical);
  QCOMPARE(run.boxes.shown[1].buttons, MessageButtons::kOk);
  QVERIFY(!close_enabled_during_message);
  QVERIFY(run.cmdClose()->isEnabled());
  QVERIFY(run.cmdPrint()->isHidden());
  QCOMPARE(run.lblTitle()->text(), kWaitTitle);
  QCOMPARE(run.lblStatus()->text(), QString());
  QCOMPARE(ReadBytes(wine.Drive() / "vorn" / "PROG01.DTA"), std::string("x1\r\n"));
}

void FrmMainTest::twoProgramsTheSecondPatchFailing() {
  testing::WinePrefix wine;
  const fs::path prog03 = wine.Drive() / "vorn" / "p03" / "PROG03.DTA";
  const fs::path prog09 = wine.Drive() / "vorn" / "p09" / "data" / "prog09.dta";
  WriteBytes(prog03, "PORT=1\r\nrest\r\n");
  WriteBytes(prog09, "PORT=1\r\n");
  fs::permissions(prog09, fs::perms::owner_read);  // read-only: its patch fails
  Run run(SystemTreeSearch());
  Main(run.ctx, run.window, "/d");

  QCOMPARE(Items(run.lstStatus()), (QStringList{
                                       "Looking for Vorn programs installed on Drive (D)",
                                       "",
                                       "Vorn Program 03 found...",
                                       "Vorn Program 03 printer port set...ok",
                                       "",
                                       "Vorn Program 09 found...",
                                       "Vorn Program 09 printer port could NOT be set...",
                                       "",
                                   }));
  QCOMPARE(run.lstStatus()->currentRow(), 7);
  QVERIFY(run.lstStatus()->item(7)->isSelected());
  QCOMPARE(run.lstStatus()->selectedItems().size(), 1);
  QCOMPARE(run.lblTitle()->text(), QStringLiteral("Vorn Auto Config"));
  QCOMPARE(run.lblStatus()->text(), QStringLiteral("Configuration complete!"));
  QVERIFY(run.cmdClose()->isEnabled());
  QVERIFY(!run.cmdPrint()->isHidden());
  QVERIFY(run.cmdPrint()->isEnabled());
  QCOMPARE(run.boxes.shown.size(), size_t{1});
  QCOMPARE(ReadBytes(prog03), std::string("PORT=4\r\nrest\r\n"));
  QCOMPARE(ReadBytes(prog09), std::string("PORT=1\r\n"));
  QCOMPARE(run.ctx.ProductTable[8].FoundPath, wine.DrivePath("vorn/p09/data/prog09.dta"));
}

void FrmMainTest::allSixteenFound() {
  testing::WinePrefix wine;
  for (int i = 1; i <= 16; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "PROG%02d.DTA", i);
    std::string text;
    for (int line = 1; line <= 18; ++line) text += "\"line " + std::to_string(line) + "1\"\r\n";
    WriteBytes(wine.Drive() / "vorn" / ("program" + std::to_string(i)) / name, text);
  }
  Run run(SystemTreeSearch());
  Main(run.ctx, run.window, "/D");
  const QStringList items = Items(run.lstStatus());
  QCOMPARE(items.size(), 50);
  QCOMPARE(items[0], QStringLiteral("Looking for Vorn programs installed on Drive (D)"));
  QCOMPARE(items[1], QString());
  for (int i = 0; i < 16; ++i) {
    const QString name = QStringLiteral("Vorn Program %1").arg(i + 1, 2, 10, QLatin1Char('0'));
    QCOMPARE(items[2 + 3 * i], name + QStringLiteral(" found..."));
    QCOMPARE(items[3 + 3 * i], name + QStringLiteral(" printer port set...ok"));
    QCOMPARE(items[4 + 3 * i], QString());
  }
  QCOMPARE(run.lstStatus()->currentRow(), 49);
  QVERIFY(run.lstStatus()->item(49)->isSelected());
  QVERIFY(!run.cmdPrint()->isHidden());
  // Row 7's data file keeps its closing quotation mark; row 1 changes its 13th line.
  const std::string prog07 = ReadBytes(wine.Drive() / "vorn" / "program7" / "PROG07.DTA");
  QVERIFY(prog07.find("\"line 104\"\r\n") != std::string::npos);
  const std::string prog01 = ReadBytes(wine.Drive() / "vorn" / "program1" / "PROG01.DTA");
  QVERIFY(prog01.find("\r\n\"line 1314\r\n\"line 141\"\r\n") != std::string::npos);
}

void FrmMainTest::aFailingSearchLeavesTheWindowClosable() {
  testing::TempDir dir;
  WriteBytes(dir.Path() / "PROG02.DTA", "1");
  testing::FakeTreeSearch search;
  search.files["PROG02.DTA"] = (dir.Path() / "PROG02.DTA").string();
  search.fail_at_call = 4;
  Run run(search);
  Main(run.ctx, run.window, "/d");
  QCOMPARE(Items(run.lstStatus()), (QStringList{
                                       "Looking for Vorn programs installed on Drive (D)",
                                       "",
                                       "Vorn Program 02 found...",
                                       "Vorn Program 02 printer port set...ok",
                                       "",
                                   }));
  QCOMPARE(run.boxes.shown.back().text, std::string(testing::kFailureText));
  QCOMPARE(run.boxes.shown.back().icon, MessageIcon::kWarning);
  QCOMPARE(run.boxes.shown.back().buttons, MessageButtons::kOk);
  QCOMPARE(run.lblTitle()->text(), kWaitTitle);
  QCOMPARE(run.lblStatus()->text(), QString());
  QVERIFY(run.cmdPrint()->isHidden());
  QVERIFY(run.cmdClose()->isEnabled());
  QTest::mouseClick(run.cmdClose(), Qt::LeftButton);
  QVERIFY(!run.window.isVisible());
}

void FrmMainTest::closeUnloadsTheWindow() {
  testing::FakeTreeSearch search;
  Run run(search);
  Main(run.ctx, run.window, "");
  QVERIFY(run.window.isVisible());
  QTest::mouseClick(run.cmdClose(), Qt::LeftButton);
  QVERIFY(!run.window.isVisible());
  QVERIFY(!run.ended);
}

void FrmMainTest::printTestPageStartsKelvarinOnEveryClick() {
  testing::WinePrefix wine;
  WriteBytes(wine.Drive() / "vorn" / "PROG02.DTA", "1\r\n");
  testing::TempDir dir;
  const fs::path kelvarin = dir.Path() / "kelvarin";
  WriteBytes(kelvarin, "#!/bin/sh\ntouch \"" + dir.Path().string() + "/started.$$\"\n");
  fs::permissions(kelvarin, fs::perms::owner_all);
  Run run(SystemTreeSearch());
  run.ctx.KelvarinPath = kelvarin.string();
  Main(run.ctx, run.window, "/d");
  QVERIFY(!run.cmdPrint()->isHidden());
  QTest::mouseClick(run.cmdPrint(), Qt::LeftButton);
  QTest::mouseClick(run.cmdPrint(), Qt::LeftButton);
  auto started = [&] {
    int count = 0;
    for (const auto& e : fs::directory_iterator(dir.Path()))
      count += e.path().filename().string().rfind("started.", 0) == 0;
    return count;
  };
  QTRY_COMPARE_WITH_TIMEOUT(started(), 2, 5000);
  QVERIFY(run.window.isVisible());
  QVERIFY(run.cmdPrint()->isEnabled());
  QVERIFY(!run.ended);
}

void FrmMainTest::printTestPageWithoutKelvarinEndsWithTheRunTimeErrorReport() {
  testing::WinePrefix wine;
  WriteBytes(wine.Drive() / "vorn" / "PROG02.DTA", "1\r\n");
  testing::TempDir dir;
  Run run(SystemTreeSearch());
  run.ctx.KelvarinPath = (dir.Path() / "kelvarin").string();
  Main(run.ctx, run.window, "/d");
  QTest::mouseClick(run.cmdPrint(), Qt::LeftButton);
  QVERIFY(run.ended.has_value());
  QVERIFY(*run.ended != 0);
  const auto& report = run.boxes.shown.back();
  QCOMPARE(report.icon, MessageIcon::kCritical);
  QCOMPARE(report.buttons, MessageButtons::kOk);
  QVERIFY2(report.text.rfind("Run-time error '53':\n\n", 0) == 0, report.text.c_str());
  QVERIFY(report.text.find(run.ctx.KelvarinPath) != std::string::npos);
}

}  // namespace vorn::autoconfig

QTEST_MAIN(vorn::autoconfig::FrmMainTest)
#include "frm_main_test.moc"
