#include "print/controls_window.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

namespace vorn::print {

class ControlsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void captionSizeAndLabel() {
    frmControls window;
    QCOMPARE(window.objectName(), QString("frmControls"));
    QCOMPARE(window.windowTitle(), QString("Printing Quote"));
    // 6120 x 975 twips at 15 twips a pixel, and not resizable.
    QCOMPARE(window.size(), QSize(408, 65));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    auto* label = window.findChild<QLabel*>("lblMsg");
    QVERIFY(label != nullptr);
    QCOMPARE(label, window.lblMsg);
    QCOMPARE(label->text(), QString("Printing VORN Quote.  Please wait....."));
    QCOMPARE(label->geometry(), QRect(36, 16, 345, 29));
    QVERIFY(label->alignment() & Qt::AlignHCenter);
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().pointSizeF(), 9.75);
    QCOMPARE(label->font().family(), QString("MS Sans Serif"));
  }

  void noSystemMenuOrCloseButton() {
    frmControls window;
    Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags & Qt::CustomizeWindowHint);
    QVERIFY(flags & Qt::WindowTitleHint);
    QVERIFY(!(flags & Qt::WindowSystemMenuHint));
    QVERIFY(!(flags & Qt::WindowCloseButtonHint));
    QVERIFY(!(flags & Qt::WindowMinMaxButtonsHint));
  }

  void shownCentredWithItsIcon() {
    frmControls window;
    window.ShowCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(qAbs(window.frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(window.frameGeometry().center().y() - screen.center().y()) <= 1);
    QIcon icon = window.windowIcon();
    QVERIFY(!icon.isNull());
    for (int size : {16, 32, 48}) QVERIFY(icon.availableSizes().contains(QSize(size, size)));
  }
};

}  // namespace vorn::print

QTEST_MAIN(vorn::print::ControlsWindowTest)
#include "controls_window_test.moc"
