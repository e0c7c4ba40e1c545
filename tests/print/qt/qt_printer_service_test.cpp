#include "print/qt/qt_printer_service.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPrintEngine>
#include <QRegularExpression>
#include <QTemporaryDir>
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

// A printer writing a PDF file, set up as the CUPS job sets it up.
void SetUpPdf(QPrinter& printer, const QString& path) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setDocName(QtPrinterService::kJobTitle);
  const qreal margin = 0.25 * 25.4;
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                    QMarginsF(margin, margin, margin, margin),
                                    QPageLayout::Millimeter));
}

class PdfJob final : public SpoolJob {
 public:
  explicit PdfJob(const QString& path) : printer_(QPrinter::HighResolution) {
    SetUpPdf(printer_, path);
  }
  QPrinter& Device() override { return printer_; }
  void Submit() override {}

 private:
  QPrinter printer_;
};

// A PDF file's bytes without its time of creation, the one thing two runs may differ in.
QByteArray PdfWithoutDate(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QString text = QString::fromLatin1(file.readAll());
  text.replace(QRegularExpression("/CreationDate \\([^)]*\\)"), "/CreationDate ()");
  return text.toLatin1();
}

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
    Fixture f("Arial");
    for (const char* line : {"Coverage A", "Premium", "Total"}) f.service.PrintText(line, true);
    f.service.EndDocument();
    QFontMetricsF metrics = Fixture::Metrics("Arial", 12, &f.Device());
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
    for (const char* family : {"Arial", "DejaVu Serif"}) {
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
    Fixture f("Arial");
    f.service.PrintText("small", true);
    f.service.SetFontSize(24);
    f.service.PrintText("large", true);
    f.service.PrintText("large again", true);
    f.service.EndDocument();
    QFontMetricsF small = Fixture::Metrics("Arial", 12, &f.Device());
    QFontMetricsF large = Fixture::Metrics("Arial", 24, &f.Device());
    QCOMPARE(f.recording.texts.size(), 3u);
    QCOMPARE(f.recording.texts[1].at.y(), small.lineSpacing() + large.ascent());
    QCOMPARE(f.recording.texts[2].at.y(),
             small.lineSpacing() + large.lineSpacing() + large.ascent());
    QCOMPARE(f.recording.texts[2].font.pointSizeF(), 24.0);
  }

  // A line that would pass the bottom of the page goes to the top of a new one; no line is
  // cut by the bottom edge.
  void aLineThatWouldPassTheBottomStartsANewPage() {
    Fixture f("Arial");
    for (int i = 0; i < 150; ++i) f.service.PrintText("line " + std::to_string(i), true);
    f.service.EndDocument();
    QFontMetricsF metrics = Fixture::Metrics("Arial", 12, &f.Device());
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

  // In a fixed-pitch font the service places plain lines glyph by glyph and leaves the text
  // shaper out; the PDF it writes is byte for byte the one that Qt's own full text layout
  // (QPainter::drawText with shaping) writes for the same lines at the same places: plain
  // lines, a line in two parts, code-page letters, a mid-line form feed, a tab, an empty line,
  // and a larger size after a font change.
  void fixedPitchPrintsExactlyAsTheFullTextLayout() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString oursPath = dir.filePath("ours.pdf");
    const QString theirsPath = dir.filePath("theirs.pdf");
    struct Line {
      std::string ansi;
      QString text;
      bool lineBreak;
      qreal points;
    };
    const std::vector<Line> lines = {
        {"0000001  Coverage  Premium  Deductible  Vehicle  Driver",
         "0000001  Coverage  Premium  Deductible  Vehicle  Driver", true, 12},
        {"Total premium:  ", "Total premium:  ", false, 12},
        {"$1,234.56 (six months)", "$1,234.56 (six months)", true, 12},
        {"D\xE9j\xE0 vu \x80 12,50 \xABquoted\xBB", QString::fromUtf8("Déjà vu € 12,50 «quoted»"),
         true, 12},
        {"page\fbreak\tand tab", "page\fbreak\tand tab", true, 12},
        {"", "", true, 12},
        {"  indented {braces} [brackets] ~tilde~ |bar| `tick`",
         "  indented {braces} [brackets] ~tilde~ |bar| `tick`", true, 12},
        {"LARGER 0123456789", "LARGER 0123456789", true, 24},
    };

    {
      QtPrinterService service(
          [&](const QString&, const QString&) { return std::make_unique<PdfJob>(oursPath); });
      service.SelectPrinter({"PDF", "none", "none"});
      service.PrintText("", false);
      service.SetFontName("");
      service.SetFontName("Courier New");
      service.SetFontSize(12);
      for (const Line& line : lines) {
        if (line.points != 12) service.SetFontSize(static_cast<float>(line.points));
        service.PrintText(line.ansi, line.lineBreak);
      }
      service.EndDocument();
    }
    {
      QPrinter printer(QPrinter::HighResolution);
      SetUpPdf(printer, theirsPath);
      QPainter painter;
      QVERIFY(painter.begin(&printer));
      painter.setClipRect(QRectF(0, 0, printer.width(), printer.height()));
      qreal x = 0;
      qreal y = 0;
      for (const Line& line : lines) {
        QFont font("Courier New");
        font.setPointSizeF(line.points);
        painter.setFont(QFont(font, &printer));
        QFontMetricsF metrics(painter.font(), &printer);
        if (!line.text.isEmpty()) {
          painter.drawText(QPointF(x, y + metrics.ascent()), line.text);
          x += metrics.horizontalAdvance(line.text);
        }
        if (line.lineBreak) {
          x = 0;
          y += metrics.lineSpacing();
        }
      }
      QVERIFY(painter.end());
    }
    const QByteArray ours = PdfWithoutDate(oursPath);
    QVERIFY(ours.size() > 1000);
    QCOMPARE(ours, PdfWithoutDate(theirsPath));
  }

  // The font list names each family once, under the name the user knows.
  void familiesAreListedOnceUnderTheirPlainNames_data() {
    QTest::addColumn<QStringList>("families");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("two makers") << QStringList{"Arial", "C059 [UKWN]", "C059 [urw]", "Tahoma"}
                                << QStringList{"Arial", "C059", "Tahoma"};
    QTest::newRow("plain and with maker")
        << QStringList{"Nimbus Mono PS", "Nimbus Mono PS [urw]"} << QStringList{"Nimbus Mono PS"};
    QTest::newRow("brackets inside a name stay") << QStringList{"Odd [Name] Sans", "[Bracket]"}
                                                 << QStringList{"Odd [Name] Sans", "[Bracket]"};
    QTest::newRow("nothing to change")
        << QStringList{"Courier New", "Arial"} << QStringList{"Courier New", "Arial"};
  }
  void familiesAreListedOnceUnderTheirPlainNames() {
    QFETCH(QStringList, families);
    QFETCH(QStringList, listed);
    QCOMPARE(QtPrinterService::PlainFamilies(families), listed);
  }

  // The system's own list, as the font dialog gets it: no maker's name, no family twice.
  void theSystemsFontListHasNoMakersNames() {
    QtPrinterService service(
        [](const QString&, const QString&) -> std::unique_ptr<SpoolJob> { return nullptr; });
    QSet<QString> seen;
    QVERIFY(service.FontCount() > 0);
    for (int i = 0; i < service.FontCount(); ++i) {
      const QString family = QString::fromStdString(service.FontAt(i));
      QVERIFY2(!QRegularExpression(QStringLiteral(" \\[[^]]*\\]$")).match(family).hasMatch(),
               qPrintable(family));
      QVERIFY2(!seen.contains(family), qPrintable(family + " listed twice"));
      seen.insert(family);
    }
  }

  // Each document is its own job from the factory.
  void everyDocumentIsAJobOfItsOwn() {
    Fixture f("Arial");
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
