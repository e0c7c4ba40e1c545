// The GDI printer service against the Windows job's private print server, under Wine: what
// can be seen from inside the program. What reaches the server is read back by
// gdi_printer_service_test.sh.
#include "print/win32/gdi_printer_service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>

#include "common/run_error.h"
#include "common/wide_text.h"

namespace vorn::print {
namespace {

std::string Expected(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

TEST(GdiPrinterServiceTest, TheDefaultPrinterIsTheServersDefaultQueue) {
  const std::string expected = Expected("VORN_EXPECT_DEFAULT");
  if (expected.empty()) GTEST_SKIP() << "no private print server named";
  GdiPrinterService printers;
  EXPECT_EQ(printers.DefaultPrinterName(), expected);
  const auto installed = printers.InstalledPrinters();
  EXPECT_TRUE(std::any_of(installed.begin(), installed.end(),
                          [&](const PrinterInfo& p) { return p.DeviceName == expected; }));
}

TEST(GdiPrinterServiceTest, FontsOfTheCurrentPrinterAreDistinctFacesWithoutVerticalVariants) {
  GdiPrinterService printers;
  const int count = printers.FontCount();
  ASSERT_GT(count, 0);
  ASSERT_LE(count, 32767);
  std::set<std::string> faces;
  for (int i = 0; i < count; ++i) {
    const std::string face = printers.FontAt(i);
    EXPECT_FALSE(face.empty());
    EXPECT_NE(face.front(), '@') << face;
    EXPECT_TRUE(faces.insert(face).second) << "listed twice: " << face;
  }
}

// Operations that must fail with the given error number, and the ones that must do nothing.
struct FailureCase {
  const char* name;
  std::function<void(GdiPrinterService&)> action;
  int number;  // 0: no error
};

class GdiPrinterServiceFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(GdiPrinterServiceFailureTest, FailsWithItsNumberOrNotAtAll) {
  GdiPrinterService printers;
  const FailureCase& c = GetParam();
  if (c.number == 0) {
    EXPECT_NO_THROW(c.action(printers));
    return;
  }
  try {
    c.action(printers);
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), c.number) << error.Description();
    EXPECT_FALSE(error.Description().empty());
  }
}

const PrinterInfo kMissing{"vorn-no-such-queue", "", ""};

// The name as the program's texts carry it (UTF-8), from its code-page bytes.
std::string Utf8Of(const std::string& ansi) {
  const std::wstring wide = AnsiToWide(ansi);
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                      nullptr, nullptr);
  return utf8;
}

// A failure's description is UTF-8 like every other, so that the log and the message name the
// printer and the font as the user sees them, also when the name is not ASCII.
struct NamedFailure {
  const char* name;
  std::function<void(GdiPrinterService&)> action;
  std::string named;  // code-page bytes the description must name
};

class GdiPrinterServiceDescriptionTest : public ::testing::TestWithParam<NamedFailure> {};

TEST_P(GdiPrinterServiceDescriptionTest, NamesThePrinterInUtf8) {
  GdiPrinterService printers;
  const NamedFailure& c = GetParam();
  try {
    c.action(printers);
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), 482);
    EXPECT_NE(error.Description().find(Utf8Of(c.named)), std::string::npos) << error.Description();
  }
}

const std::string kBureau = "B\xfcro-Drucker \xa7 3";  // "Büro-Drucker § 3" in code page 1252

INSTANTIATE_TEST_SUITE_P(Cases, GdiPrinterServiceDescriptionTest,
                         ::testing::Values(NamedFailure{"Printing",
                                                        [](GdiPrinterService& p) {
                                                          p.SelectPrinter({kBureau, "", ""});
                                                          p.PrintText("", false);
                                                        },
                                                        kBureau},
                                           NamedFailure{"ListingFonts",
                                                        [](GdiPrinterService& p) {
                                                          p.SelectPrinter({kBureau, "", ""});
                                                          p.FontCount();
                                                        },
                                                        kBureau}),
                         [](const ::testing::TestParamInfo<NamedFailure>& info) {
                           return info.param.name;
                         });

INSTANTIATE_TEST_SUITE_P(
    Cases, GdiPrinterServiceFailureTest,
    ::testing::Values(
        FailureCase{"PrintingOnAPrinterNotInstalled",
                    [](GdiPrinterService& p) {
                      p.SelectPrinter(kMissing);
                      p.PrintText("", false);
                    },
                    482},
        FailureCase{"FontsOfAPrinterNotInstalled",
                    [](GdiPrinterService& p) {
                      p.SelectPrinter(kMissing);
                      p.FontCount();
                    },
                    482},
        FailureCase{"FontBeforeTheFirst", [](GdiPrinterService& p) { p.FontAt(-1); }, 9},
        FailureCase{"FontAfterTheLast", [](GdiPrinterService& p) { p.FontAt(p.FontCount()); }, 9},
        FailureCase{"NewPageWithoutADocument", [](GdiPrinterService& p) { p.NewPage(); }, 0},
        FailureCase{"EndDocumentWithoutADocument", [](GdiPrinterService& p) { p.EndDocument(); },
                    0},
        FailureCase{"FontSettingsWithoutADocument",
                    [](GdiPrinterService& p) {
                      p.SetFontName("Courier New");
                      p.SetFontSize(12);
                      p.SetFurtherAttribute(2);
                    },
                    0}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

}  // namespace
}  // namespace vorn::print
