// The real print job on the real Qt printer service and a private CUPS server, with the
// spooler failing right before a chosen copy is handed over: the queue refusing jobs, the
// queue stopped (disabled), or the server itself gone. Faults come from the cups commands.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "print/platform/cups_connection.h"
#include "print/print_job.h"
#include "print/qt/qt_printer_service.h"
#include "tests/print/fakes.h"
#include "tests/reliability/reliability_support.h"

namespace vorn::reliability {
namespace {

using print::PrinterService;
using namespace std::chrono_literals;

constexpr int kCopies = 3;
constexpr char kMessage[] =
    "There is a problem opening the Print File.  Please contact Orvalle at (555) 010-0000.";
const std::string kQuote =
    "QUOTE PAGE ONE\r\n\r\nPremium total 1,234.56\f\r\nQUOTE PAGE TWO\r\nNEVER PRINTED\r\n";

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    ::pclose(pipe);
  }
  return text;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

int Lines(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

// Jobs the capture backend saved for `queue`, as paths of their documents.
std::vector<std::string> Captured(const std::string& queue) {
  std::vector<std::string> files;
  const char* index = std::getenv("VORN_CUPS_CAPTURE_INDEX");
  std::ifstream in(index != nullptr ? index : "");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string job, name;
    std::getline(fields, job, '\t');
    std::getline(fields, name, '\t');
    if (name == queue) files.push_back(fs::path(index).parent_path() / ("job-" + job + ".pdf"));
  }
  return files;
}

int Pending(const std::string& queue) {
  return Lines(Output("lpstat -o " + queue + " 2>/dev/null"));
}

bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(100ms);
  }
  return true;
}

// The real printer service, with a fault injected right before copy `faultCopy` is ended.
// The copies before it are first let through the queue, so that what was printed is known.
class FaultInjectingPrinterService final : public PrinterService {
 public:
  FaultInjectingPrinterService(PrinterService& inner, std::string queue, int faultCopy,
                               std::function<void()> inject)
      : inner_(inner),
        queue_(std::move(queue)),
        faultCopy_(faultCopy),
        inject_(std::move(inject)) {}

  std::string DefaultPrinterName() override { return inner_.DefaultPrinterName(); }
  std::vector<print::PrinterInfo> InstalledPrinters() override {
    return inner_.InstalledPrinters();
  }
  void SelectPrinter(const print::PrinterInfo& p) override { inner_.SelectPrinter(p); }
  void PrintText(std::string_view text, bool lineBreak) override {
    inner_.PrintText(text, lineBreak);
  }
  void SetFontName(std::string_view name) override { inner_.SetFontName(name); }
  void SetFontSize(float points) override { inner_.SetFontSize(points); }
  void SetFurtherAttribute(int value) override { inner_.SetFurtherAttribute(value); }
  void NewPage() override { inner_.NewPage(); }
  void EndDocument() override {
    if (++ended_ == faultCopy_) {
      EXPECT_TRUE(WaitFor([&] { return Pending(queue_) == 0; }, 60s)) << "earlier copies stuck";
      inject_();
    }
    inner_.EndDocument();
  }
  int FontCount() override { return inner_.FontCount(); }
  std::string FontAt(int index) override { return inner_.FontAt(index); }

 private:
  PrinterService& inner_;
  std::string queue_;
  int faultCopy_;
  std::function<void()> inject_;
  int ended_ = 0;
};

class SpoolerFault : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("CUPS_SERVER"), nullptr) << "run me through with_private_cups.sh";
    WriteFile(work_ / "VORN.PRN", kQuote);
  }

  void AddQueue(const std::string& queue) {
    queue_ = queue;
    ASSERT_EQ(Shell("lpadmin -p " + queue + " -E -v capture:/ && cupsenable " + queue +
                    " && cupsaccept " + queue),
              0);
  }

  // Prints three copies with `inject` run right before copy GetParam() is ended.
  void PrintWithFault(const std::function<void()>& inject) {
    print::QtPrinterService real;
    FaultInjectingPrinterService printers(real, queue_, GetParam(), inject);
    print::testing::RecordingMessages messages;
    print::testing::FixedClock clock;
    const print::ActionLog log(clock, {}, app_.path());
    print::KelvarinContext ctx(printers, messages, log);
    ctx.CurrentDir = work_.path();
    ctx.AppDir = app_.path();
    ctx.SupportPhone = "(555) 010-0000";
    ctx.PrintSettings.FontName = "Courier New";
    print::OutputPrinter(ctx, queue_, kCopies);
    shown_ = messages.shown.size() == 1 ? messages.shown[0].text : "";
    shownCount_ = messages.shown.size();
    log_ = ReadFile(app_ / "actionlog.txt");
  }

  int Logged(const std::string& message) {
    int n = 0;
    for (auto at = log_.find(" - " + message); at != std::string::npos;
         at = log_.find(" - " + message, at + 1))
      ++n;
    return n;
  }

  // The copy that met the fault is reported; the print file is kept byte for byte; exactly the
  // copies before it were printed.
  void ExpectFailureAtCopy() {
    const int k = GetParam();
    EXPECT_EQ(Logged("STARTING PRINTOUT COPY " + std::to_string(k)), 1) << log_;
    EXPECT_EQ(Logged("OUTPUT SENT TO PRINTER"), k - 1) << log_;
    EXPECT_EQ(Logged("ERROR IN OutputPrinter ROUTINE: Error Number: 482 Error Desc: "), 1) << log_;
    EXPECT_EQ(Logged("PRINT FILE TERMINATED"), 0) << log_;
    // The error is the last step logged.
    const std::string last = log_.substr(log_.rfind("\r\n", log_.size() - 3) + 2);
    EXPECT_NE(last.find(" - ERROR IN OutputPrinter ROUTINE: "), std::string::npos) << last;
    EXPECT_EQ(shownCount_, 1u);
    EXPECT_EQ(shown_, kMessage);
    EXPECT_EQ(ReadFile(work_ / "VORN.PRN"), kQuote);
    EXPECT_EQ(Captured(queue_).size(), static_cast<std::size_t>(k - 1));
  }

  TempDir work_;
  TempDir app_;
  std::string queue_;
  std::string log_;
  std::string shown_;
  std::size_t shownCount_ = 0;
};

using RejectingQueue = SpoolerFault;
using DisabledQueue = SpoolerFault;
using StoppedServer = SpoolerFault;

TEST_P(RejectingQueue, TheCopyIsReportedAndThePrintFileKept) {
  AddQueue("rejecting" + std::to_string(GetParam()));
  PrintWithFault([&] { ASSERT_EQ(Shell("cupsreject -r 'closed by the test' " + queue_), 0); });
  ExpectFailureAtCopy();
}

// A stopped queue still accepts jobs: they wait in the spooler. The print file may then go,
// because every copy is safely queued; once the queue starts again all copies come out.
TEST_P(DisabledQueue, JobsAreQueuedAndPrintedOnceTheQueueRunsAgain) {
  AddQueue("disabled" + std::to_string(GetParam()));
  PrintWithFault([&] { ASSERT_EQ(Shell("cupsdisable -r 'stopped by the test' " + queue_), 0); });
  const std::size_t before = Captured(queue_).size();
  EXPECT_EQ(before, static_cast<std::size_t>(GetParam() - 1));
  EXPECT_EQ(Pending(queue_), kCopies - GetParam() + 1) << "the later copies wait in the queue";
  EXPECT_EQ(shownCount_, 0u);
  EXPECT_EQ(Logged("ERROR IN OutputPrinter ROUTINE"), 0) << log_;
  EXPECT_EQ(Logged("OUTPUT SENT TO PRINTER"), kCopies) << log_;
  EXPECT_EQ(Logged("PRINT FILE TERMINATED"), 1) << log_;
  EXPECT_FALSE(fs::exists(work_ / "VORN.PRN"));

  ASSERT_EQ(Shell("cupsenable " + queue_), 0);
  EXPECT_TRUE(WaitFor([&] { return Captured(queue_).size() == kCopies; }, 60s));
  for (const std::string& file : Captured(queue_)) EXPECT_EQ(ReadFile(file).substr(0, 5), "%PDF-");
}

// The server is stopped for good; the test wrapper starts a fresh one for every run.
TEST_P(StoppedServer, TheCopyIsReportedAndThePrintFileKept) {
  AddQueue("stopped" + std::to_string(GetParam()));
  PrintWithFault([&] {
    const char* pid = std::getenv("VORN_CUPS_PID");
    ASSERT_NE(pid, nullptr);
    ASSERT_EQ(::kill(std::atoi(pid), SIGTERM), 0);
    // The server is the wrapper's child: gone, or a zombie the wrapper reaps later.
    auto gone = [&] {
      std::ifstream stat(std::string("/proc/") + pid + "/stat");
      std::string state;
      std::getline(stat, state);
      return !stat || state.find(") Z ") != std::string::npos;
    };
    ASSERT_TRUE(WaitFor(gone, 30s));
  });
  ExpectFailureAtCopy();
  EXPECT_NE(log_.find("Error Desc: The printer did not accept the document: the print server did "
                      "not answer ("),
            std::string::npos)
      << log_;
}

// The server paused (SIGSTOP) and never answering: the copy ends within the time limit with
// error 482 saying so, as if the server were gone.
using PausedServer = SpoolerFault;

TEST_P(PausedServer, TheCopyIsReportedWithinTheLimitAndThePrintFileKept) {
  AddQueue("paused" + std::to_string(GetParam()));
  const char* pidText = std::getenv("VORN_CUPS_PID");
  ASSERT_NE(pidText, nullptr);
  const pid_t pid = std::atoi(pidText);
  // Lets the server run again and restores the limit, whatever the test's outcome.
  struct Resume {
    pid_t pid;
    ~Resume() {
      ::kill(pid, SIGCONT);
      print::SetPrintServerTimeLimit(print::kPrintServerTimeLimit);
    }
  } resume{pid};
  print::SetPrintServerTimeLimit(2s);
  std::chrono::steady_clock::time_point paused;
  PrintWithFault([&] {
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    paused = std::chrono::steady_clock::now();
  });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - paused).count();
  ExpectFailureAtCopy();
  EXPECT_NE(log_.find("the print server did not answer"), std::string::npos) << log_;
  EXPECT_LT(seconds, 2.0 + 5.0) << "the copy did not end within its limit";
}

INSTANTIATE_TEST_SUITE_P(BeforeCopy, PausedServer, ::testing::Values(1, 2, 3));
INSTANTIATE_TEST_SUITE_P(BeforeCopy, RejectingQueue, ::testing::Values(1, 2, 3));
INSTANTIATE_TEST_SUITE_P(BeforeCopy, DisabledQueue, ::testing::Values(1, 2, 3));
INSTANTIATE_TEST_SUITE_P(BeforeCopy, StoppedServer, ::testing::Values(1, 2, 3));

}  // namespace
}  // namespace vorn::reliability

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
