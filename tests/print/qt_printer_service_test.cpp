#include "print/qt_printer_service.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPrintEngine>
#include <QTest>
#include <memory>
#include <vector>

namespace vorn::print {

namespace {

// What the service drew: where, on which page, which text in which font, and how wide Qt laid
// it out.
struct DrawnText {
  int page;
  QPointF at;
  QString text;
  QFont font;
  qreal width;
};

struct Recording {
  bool active = false;
  int page = 1;
  std::vector<DrawnText> texts;
};

// A page of 8 x 10.5 inches at 1200 dots per inch, as a Letter page with quarter-inch margins.
constexpr int kDpi = 1200;
constexpr int kPageWidth = 8 * kDpi;
constexpr int kPageHeight = 21 * kDpi / 2;

class RecordingPaintEngine final : public QPaintEngine {
 public:
  explicit RecordingPaintEngine(Recording& recording)
      : QPaintEngine(QPaintEngine::AllFeatures), recording_(recording) {}
  bool begin(QPaintDevice*) override {
    recording_.active = true;
    return true;
  }
  bool end() override {
    recording_.active = false;
    return true;
  }
  void updateState(const QPaintEngineState&) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  void drawTextItem(const QPointF& at, const QTextItem& item) override {
    recording_.texts.push_back({recording_.page, at, item.text(), item.font(), item.width()});
  }
  Type type() const override { return QPaintEngine::User; }

 private:
  Recording& recording_;
};

class RecordingPrintEngine final : public QPrintEngine {
 public:
  explicit RecordingPrintEngine(Recording& recording) : recording_(recording) {}
  void setProperty(PrintEnginePropertyKey, const QVariant&) override {}
  QVariant property(PrintEnginePropertyKey) const override { return {}; }
  bool newPage() override {
    ++recording_.page;
    return true;
  }
  bool abort() override { return false; }
  int metric(QPaintDevice::PaintDeviceMetric metric) const override {
    switch (metric) {
      case QPaintDevice::PdmWidth:
        return kPageWidth;
      case QPaintDevice::PdmHeight:
        return kPageHeight;
      case QPaintDevice::PdmWidthMM:
        return kPageWidth * 254 / kDpi / 10;
      case QPaintDevice::PdmHeightMM:
        return kPageHeight * 254 / kDpi / 10;
      case QPaintDevice::PdmDpiX:
      case QPaintDevice::PdmDpiY:
      case QPaintDevice::PdmPhysicalDpiX:
      case QPaintDevice::PdmPhysicalDpiY:
        return kDpi;
      case QPaintDevice::PdmNumColors:
        return INT_MAX;
      case QPaintDevice::PdmDepth:
        return 32;
      case QPaintDevice::PdmDevicePixelRatio:
        return 1;
      case QPaintDevice::PdmDevicePixelRatioScaled:
        return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
      default:
        return 0;
    }
  }
  QPrinter::PrinterState printerState() const override {
    return recording_.active ? QPrinter::Active : QPrinter::Idle;
  }

 private:
  Recording& recording_;
};

// A printer whose pages are recorded instead of printed.
class RecordingPrinter final : public QPrinter {
 public:
  RecordingPrinter(QPrintEngine* print, QPaintEngine* paint) { setEngines(print, paint); }
};

class RecordingJob final : public SpoolJob {
 public:
  explicit RecordingJob(Recording& recording)
      : print_(recording), paint_(recording), printer_(&print_, &paint_) {}
  QPrinter& Device() override { return printer_; }
  void Submit() override {}

 private:
  RecordingPrintEngine print_;
  RecordingPaintEngine paint_;
  RecordingPrinter printer_;
};

// A service whose documents are recorded, with the font the print job sets up.
struct Fixture {
  explicit Fixture(const char* family, float points = 12.0f)
      : service([this](const QString&, const QString&) {
          ++documents;
          return std::make_unique<RecordingJob>(recording);
        }) {
    service.SelectPrinter({"Recorder", "none", "none"});
    service.PrintText("", false);
    service.SetFontName("");
    service.SetFontName(family);
    service.SetFontSize(points);
  }

  // The metrics of `family` at `points` on the recording device, measured as Qt lays the text
  // out with full shaping.
  static QFontMetricsF Metrics(const char* family, qreal points, QPaintDevice* device) {
    QFont font(family);
    font.setPointSizeF(points);
    return QFontMetricsF(QFont(font, device), device);
  }

  RecordingPrinter& Device() { return reference_printer; }

  Recording recording;
  int documents = 0;
  QtPrinterService service;
  Recording reference_recording;
  RecordingPrintEngine reference_print{reference_recording};
  RecordingPaintEngine reference_paint{reference_recording};
  RecordingPrinter reference_printer{&reference_print, &reference_paint};
};

}  // namespace

class QtPrinterServiceTest : public QObject {
  Q_OBJECT

 private slots:
  // Each line goes one line spacing below the one before, from the top of the page.
  void linesGoDownOneLineSpacingEach() {
    Fixture f("Courier New");
    for (const char* line : {"Coverage A", "Premium", "Total"}) f.service.PrintText(line, true);
    f.service.EndDocument();
    QFontMetricsF metrics = Fixture::Metrics("Courier New", 12, &f.Device());
    QCOMPARE(f.recording.texts.size(), 3u);
    for (int i = 0; i < 3; ++i) {
      const DrawnText& drawn = f.recording.texts[static_cast<std::size_t>(i)];
      QCOMPARE(drawn.page, 1);
      QCOMPARE(drawn.at.x(), 0.0);
      QCOMPARE(drawn.at.y(), metrics.ascent() + i * metrics.lineSpacing());
    }
    QCOMPARE(f.recording.texts[1].text, QString("Premium"));
  }

  // Text printed without a line break is continued right after it, on the same line; the next
  // line starts at the margin again.
  void textWithoutALineBreakIsContinued() {
    for (const char* family : {"Courier New", "Arial"}) {
      Fixture f(family);
      f.service.PrintText("Premium: ", false);
      f.service.PrintText("AVAST 12.50", false);
      f.service.PrintText(" To", true);
      f.service.PrintText("next", true);
      f.service.EndDocument();
      QFontMetricsF metrics = Fixture::Metrics(family, 12, &f.Device());
      QCOMPARE(f.recording.texts.size(), 4u);
      const qreal first = metrics.horizontalAdvance("Premium: ");
      const qreal second = metrics.horizontalAdvance("AVAST 12.50");
      QCOMPARE(f.recording.texts[1].at, QPointF(first, metrics.ascent()));
      QCOMPARE(f.recording.texts[2].at, QPointF(first + second, metrics.ascent()));
      QCOMPARE(f.recording.texts[3].at, QPointF(0, metrics.ascent() + metrics.lineSpacing()));
    }
  }

  // A new font size in the middle of a document sets the spacing of the lines after it.
  void aFontChangeSetsTheFollowingLineSpacing() {
    Fixture f("Courier New");
    f.service.PrintText("small", true);
    f.service.SetFontSize(24);
    f.service.PrintText("large", true);
    f.service.PrintText("large again", true);
    f.service.EndDocument();
    QFontMetricsF small = Fixture::Metrics("Courier New", 12, &f.Device());
    QFontMetricsF large = Fixture::Metrics("Courier New", 24, &f.Device());
    QCOMPARE(f.recording.texts.size(), 3u);
    QCOMPARE(f.recording.texts[1].at.y(), small.lineSpacing() + large.ascent());
    QCOMPARE(f.recording.texts[2].at.y(),
             small.lineSpacing() + large.lineSpacing() + large.ascent());
    QCOMPARE(f.recording.texts[2].font.pointSizeF(), 24.0);
  }

  // A line that would pass the bottom of the page goes to the top of a new one; no line is
  // cut by the bottom edge.
  void aLineThatWouldPassTheBottomStartsANewPage() {
    Fixture f("Courier New");
    for (int i = 0; i < 150; ++i) f.service.PrintText("line " + std::to_string(i), true);
    f.service.EndDocument();
    QFontMetricsF metrics = Fixture::Metrics("Courier New", 12, &f.Device());
    const int perPage =
        static_cast<int>((kPageHeight - metrics.height()) / metrics.lineSpacing()) + 1;
    QCOMPARE(f.recording.texts.size(), 150u);
    for (int i = 0; i < 150; ++i) {
      const DrawnText& drawn = f.recording.texts[static_cast<std::size_t>(i)];
      QCOMPARE(drawn.page, 1 + i / perPage);
      QVERIFY(drawn.at.y() - metrics.ascent() + metrics.height() <= kPageHeight);
    }
    QCOMPARE(f.recording.texts[static_cast<std::size_t>(perPage)].at.y(), metrics.ascent());
  }

  // Every line is laid out exactly as wide as Qt's full text shaping lays it out: a
  // fixed-pitch font (drawn without the shaper) as much as a proportional one with kerning
  // (drawn with it). Accented letters and the euro sign come from the code page.
  void linesAreAsWideAsShapedText() {
    const std::string ansi =
        "AVAST Wa To \xC4pfel \x80 12,50 \xAB"
        "D\xE9j\xE0\xBB ffi";
    const QString text = QString::fromUtf8("AVAST Wa To Äpfel € 12,50 «Déjà» ffi");
    for (const char* family : {"Courier New", "Arial"}) {
      Fixture f(family);
      f.service.PrintText(ansi, true);
      f.service.EndDocument();
      QCOMPARE(f.recording.texts.size(), 1u);
      const DrawnText& drawn = f.recording.texts[0];
      QCOMPARE(drawn.text, text);
      QFontMetricsF shaped = Fixture::Metrics(family, 12, &f.Device());
      QCOMPARE(drawn.width, shaped.horizontalAdvance(text));
      const bool fixedPitch = QFontInfo(drawn.font).fixedPitch();
      QCOMPARE(fixedPitch, std::string(family) == "Courier New");
      QCOMPARE(bool(drawn.font.styleStrategy() & QFont::PreferNoShaping), fixedPitch);
    }
  }

  // Each document is its own job from the factory.
  void everyDocumentIsAJobOfItsOwn() {
    Fixture f("Courier New");
    f.service.PrintText("one", true);
    f.service.EndDocument();
    f.service.PrintText("two", true);
    f.service.EndDocument();
    QCOMPARE(f.documents, 2);
    QCOMPARE(f.recording.texts.size(), 2u);
    QCOMPARE(f.recording.texts[1].at.y(), f.recording.texts[0].at.y());
  }
};

}  // namespace vorn::print

QTEST_MAIN(vorn::print::QtPrinterServiceTest)
#include "qt_printer_service_test.moc"
