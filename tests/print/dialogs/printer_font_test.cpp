#include <QTest>
class PrinterFontTest : public QObject {
  Q_OBJECT
 private slots:
  void placeholder() {}
};
QTEST_MAIN(PrinterFontTest)
#include "printer_font_test.moc"
