// Pipes, devices, sockets and links in place of Kelvarin's files. Each case runs the real
// settings, print job and log code in a child process with a deadline: a run that waits on a
// pipe or reads a device without end is killed and fails the case. None may hang; a pipe or
// device in place of the print file or the settings file is an error the user is told of, in
// place of the log it only loses the entries.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <chrono>
#include <string>
#include <thread>

#include "common/run_error.h"
#include "print/kelvarin.h"
#include "print/print_job.h"
#include "print/settings.h"
#include "tests/print/fakes.h"
#include "tests/reliability/reliability_support.h"

namespace vorn::reliability {
namespace {

using print::KelvarinContext;
using print::testing::FixedClock;
using print::testing::RecordingMessages;
using print::testing::RecordingPrinterService;

const std::string kQuote = "QUOTE LINE ONE\r\nPremium 1,234.56\f\r\nPAGE TWO\r\nLAST\r\n";
constexpr char kMessage[] =
    "There is a problem opening the Print File.  Please contact Orvalle at (555) 010-0000.";
constexpr int kDeadlineSeconds = 20;

// What one run in the child did, passed back to the test through a pipe.
struct RunResult {
  int thrown = 0;     // the RunError number that left the run, 0 for none
  int messages = 0;   // message boxes shown
  int documents = 0;  // documents printed
  int lines = 0;      // lines printed, in all documents
  bool messageIsTheSupportText = false;
};

// The outcome of a run in a child: finished in time with its result, or not.
struct Bounded {
  bool finished = false;
  double seconds = 0;
  RunResult result;
};

// Runs `work` in a forked child and kills it when it outlives the deadline.
Bounded RunWithDeadline(const std::function<RunResult()>& work) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  std::fflush(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    RunResult result = work();
    ssize_t ignored = ::write(fds[1], &result, sizeof result);
    (void)ignored;
    ::_exit(0);
  }
  ::close(fds[1]);
  Bounded outcome;
  int status = 0;
  for (;;) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      outcome.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
      break;
    }
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(kDeadlineSeconds)) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (outcome.finished &&
      ::read(fds[0], &outcome.result, sizeof outcome.result) != sizeof outcome.result)
    outcome.finished = false;
  ::close(fds[0]);
  return outcome;
}

// One Kelvarin run in `dir`, logging into its own application folder, with OK pressed.
struct KelvarinRun {
  explicit KelvarinRun(const std::string& dir) : KelvarinRun(dir, nullptr) {}
  KelvarinRun(const std::string& dir, RecordingPrinterService* printer)
      : printers(printer != nullptr ? *printer : ownPrinters), ctx(printers, messages, log) {
    ctx.CurrentDir = dir;
    ctx.SettingsDir = dir + "/";
    ctx.AppDir = app.path();
    ctx.SupportPhone = "(555) 010-0000";
    ctx.PrintSettings.PrinterName = "Front Desk";
    ctx.PrintSettings.FontName = "Courier New";
    ctx.PrintSettings.Copies = 2;
  }
  std::string Log() const {
    std::error_code ec;
    return fs::is_regular_file(app / "actionlog.txt", ec) ? ReadFile(app / "actionlog.txt") : "";
  }

  RunResult Result(int thrown) const {
    RunResult result;
    result.thrown = thrown;
    result.messages = static_cast<int>(messages.shown.size());
    result.documents = static_cast<int>(printers.documents.size());
    for (const auto& document : printers.documents)
      for (const auto& page : document.pages) result.lines += static_cast<int>(page.size());
    result.messageIsTheSupportText = !messages.shown.empty() && messages.shown[0].text == kMessage;
    return result;
  }

  // The print job alone.
  RunResult PrintJob() {
    print::OutputPrinter(ctx, "Front Desk", 2);
    return Result(0);
  }

  // The whole run.
  RunResult Main() {
    OkWindows windows;
    try {
      print::Main(ctx, windows);
    } catch (const RunError& error) {
      return Result(error.Number());
    }
    return Result(0);
  }

  TempDir app;
  RecordingPrinterService ownPrinters;
  RecordingPrinterService& printers;
  RecordingMessages messages;
  FixedClock clock;
  print::ActionLog log{clock, {}, app.path()};
  KelvarinContext ctx;
};

// A listening socket bound at `path`, as a local service leaves one.
class SocketFile {
 public:
  explicit SocketFile(const std::string& path) : fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    bound_ = fd_ >= 0 && path.size() < sizeof address.sun_path &&
             ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
             ::listen(fd_, 4) == 0;
  }
  ~SocketFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  SocketFile(const SocketFile&) = delete;
  SocketFile& operator=(const SocketFile&) = delete;
  bool Bound() const { return bound_; }

 private:
  int fd_;
  bool bound_ = false;
};

enum class Kind { kFifo, kLinkToDevZero, kLinkToUrandom, kLinkToDevNull, kSocket };

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kFifo:
      return "Fifo";
    case Kind::kLinkToDevZero:
      return "LinkToDevZero";
    case Kind::kLinkToUrandom:
      return "LinkToUrandom";
    case Kind::kLinkToDevNull:
      return "LinkToDevNull";
    case Kind::kSocket:
      return "Socket";
  }
  return "?";
}

// Makes `path` the special file; a socket is kept open by `keep` for the test's length.
bool MakeSpecial(Kind kind, const std::string& path, std::unique_ptr<SocketFile>& keep) {
  switch (kind) {
    case Kind::kFifo:
      return ::mkfifo(path.c_str(), 0666) == 0;
    case Kind::kLinkToDevZero:
      return ::symlink("/dev/zero", path.c_str()) == 0;
    case Kind::kLinkToUrandom:
      return ::symlink("/dev/urandom", path.c_str()) == 0;
    case Kind::kLinkToDevNull:
      return ::symlink("/dev/null", path.c_str()) == 0;
    case Kind::kSocket:
      keep = std::make_unique<SocketFile>(path);
      return keep->Bound();
  }
  return false;
}

class SpecialFile : public ::testing::TestWithParam<Kind> {};

INSTANTIATE_TEST_SUITE_P(Kinds, SpecialFile,
                         ::testing::Values(Kind::kFifo, Kind::kLinkToDevZero, Kind::kLinkToUrandom,
                                           Kind::kLinkToDevNull, Kind::kSocket),
                         [](const auto& info) { return std::string(KindName(info.param)); });

// In place of the print file: the job's error line and the support message, at once; nothing
// printed, and the special file left where it was.
TEST_P(SpecialFile, AsThePrintFileIsAnErrorAndNeverAWait) {
  TempDir dir;
  std::unique_ptr<SocketFile> socket;
  ASSERT_TRUE(MakeSpecial(GetParam(), dir / "VORN.PRN", socket));
  KelvarinRun run(dir.path());
  Bounded outcome = RunWithDeadline([&] { return run.PrintJob(); });
  ASSERT_TRUE(outcome.finished) << "the print job did not end within " << kDeadlineSeconds << " s";
  EXPECT_EQ(outcome.result.messages, 1);
  EXPECT_TRUE(outcome.result.messageIsTheSupportText);
  EXPECT_EQ(outcome.result.lines, 0);
  const std::string log = run.Log();
  EXPECT_NE(log.find("STARTING PRINTOUT COPY 1\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("ERROR IN OutputPrinter ROUTINE: Error Number: 75 Error Desc: "),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("PRINT FILE OPENED"), std::string::npos) << log;
  EXPECT_EQ(log.find("STARTING PRINTOUT COPY 2"), std::string::npos) << log;
  struct stat st {};
  EXPECT_EQ(::lstat((dir / "VORN.PRN").c_str(), &st), 0) << "the special file was removed";
}

// In place of the settings file: the run-time error report before any window, nothing printed,
// the special file still there and the print file kept.
TEST_P(SpecialFile, AsTheSettingsFileIsTheRunTimeErrorAndNeverAWait) {
  TempDir dir;
  std::unique_ptr<SocketFile> socket;
  ASSERT_TRUE(MakeSpecial(GetParam(), dir / "Printer.inp", socket));
  WriteFile(dir / "VORN.PRN", kQuote);
  KelvarinRun run(dir.path());
  Bounded outcome = RunWithDeadline([&] { return run.Main(); });
  ASSERT_TRUE(outcome.finished) << "Kelvarin did not end within " << kDeadlineSeconds << " s";
  EXPECT_EQ(outcome.result.thrown, static_cast<int>(ErrorNumber::kPathFileAccess));
  EXPECT_EQ(outcome.result.documents, 0);
  EXPECT_EQ(ReadFile(dir / "VORN.PRN"), kQuote);
  struct stat st {};
  ASSERT_EQ(::lstat((dir / "Printer.inp").c_str(), &st), 0) << "the special file was replaced";
  EXPECT_FALSE(S_ISREG(st.st_mode));
}

// In place of the log: every entry is dropped, and the quote is printed in full and deleted as
// on any run.
TEST_P(SpecialFile, AsTheLogLosesTheEntriesAndThePrintRunGoesOn) {
  TempDir dir;
  WriteFile(dir / "VORN.PRN", kQuote);
  KelvarinRun run(dir.path());
  std::unique_ptr<SocketFile> socket;
  ASSERT_TRUE(MakeSpecial(GetParam(), run.app / "actionlog.txt", socket));
  Bounded outcome = RunWithDeadline([&] { return run.PrintJob(); });
  ASSERT_TRUE(outcome.finished) << "the print job did not end within " << kDeadlineSeconds << " s";
  EXPECT_EQ(outcome.result.messages, 0);
  EXPECT_EQ(outcome.result.documents, 2);
  EXPECT_EQ(outcome.result.lines, 2 * 3);
  EXPECT_FALSE(fs::exists(dir / "VORN.PRN"));
}

// A pipe that someone reads still takes no entry: the reader gets nothing, the run goes on.
TEST(SpecialLog, APipeWithAReaderTakesNoEntry) {
  TempDir dir;
  WriteFile(dir / "VORN.PRN", kQuote);
  KelvarinRun run(dir.path());
  const std::string fifo = run.app / "actionlog.txt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  Bounded outcome = RunWithDeadline([&] { return run.PrintJob(); });
  char byte = 0;
  const ssize_t got = ::read(reader, &byte, 1);
  ::close(reader);
  ASSERT_TRUE(outcome.finished);
  EXPECT_EQ(got, 0) << "an entry went into the pipe";
  EXPECT_EQ(outcome.result.documents, 2);
  EXPECT_FALSE(fs::exists(dir / "VORN.PRN"));
}

// A print file that is a link to a regular file is printed; only the link is deleted.
TEST(LinkedPrintFile, IsPrintedAndOnlyTheLinkIsDeleted) {
  TempDir dir;
  TempDir elsewhere;
  WriteFile(elsewhere / "quote.txt", kQuote);
  ASSERT_EQ(::symlink((elsewhere / "quote.txt").c_str(), (dir / "VORN.PRN").c_str()), 0);
  KelvarinRun run(dir.path());
  Bounded outcome = RunWithDeadline([&] { return run.PrintJob(); });
  ASSERT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.result.messages, 0);
  EXPECT_EQ(outcome.result.documents, 2);
  EXPECT_EQ(outcome.result.lines, 2 * 3);
  struct stat st {};
  EXPECT_NE(::lstat((dir / "VORN.PRN").c_str(), &st), 0) << "the link is still there";
  EXPECT_EQ(ReadFile(elsewhere / "quote.txt"), kQuote);
}

// A print file that grows while it is printed is printed as it was when opened: a writer that
// keeps appending cannot make the job endless.
TEST(GrowingPrintFile, IsReadOnlyAsFarAsItReachedWhenOpened) {
  TempDir dir;
  WriteFile(dir / "VORN.PRN", kQuote);
  // The printer appends a line to the file for every line it prints.
  struct GrowingPrinter : RecordingPrinterService {
    std::string path;
    void PrintText(std::string_view text, bool lineBreak) override {
      RecordingPrinterService::PrintText(text, lineBreak);
      if (lineBreak) std::ofstream(path, std::ios::binary | std::ios::app) << "MORE\r\n";
    }
  } printer;
  printer.path = dir / "VORN.PRN";
  KelvarinRun run(dir.path(), &printer);
  Bounded outcome = RunWithDeadline([&] {
    print::OutputPrinter(run.ctx, "Front Desk", 1);
    return run.Result(0);
  });
  ASSERT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.result.documents, 1);
  EXPECT_EQ(outcome.result.lines, 3);
}

}  // namespace
}  // namespace vorn::reliability
