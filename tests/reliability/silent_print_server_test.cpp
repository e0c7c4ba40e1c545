// A print server that does not answer: a socket that takes the connection and then says
// nothing, one that answers and never ends its answer, and (under with_private_cups.sh) the real
// server paused with SIGSTOP. Every call ends within its time limit with error 482 saying the print
// server did not answer; a listing never comes back empty for it, and "No printer is installed"
// stays for a server that answered with no printers.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <QApplication>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>

#include "common/run_error.h"
#include "print/kelvarin.h"
#include "print/platform/cups_connection.h"
#include "print/platform/system_printers.h"
#include "print/print_job.h"
#include "print/qt/qt_printer_service.h"
#include "tests/print/fakes.h"
#include "tests/reliability/reliability_support.h"

namespace vorn::reliability {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kShortLimit = 2s;
const std::string kQuote = "QUOTE LINE ONE\r\nPremium 1,234.56\r\nLAST\r\n";
constexpr char kNoAnswer[] = "the print server did not answer";

// The start of an answer that never ends: "200 OK", chunked, an IPP response whose attribute
// takes one more value in every chunk.
constexpr char kStreamHead[] =
    "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nTransfer-Encoding: chunked\r\n\r\n"
    "a\r\n\x02\x00\x00\x00\x00\x00\x00\x01\x01\x44\r\n"
    "7\r\n\x00\x01\x61\x00\x01\x62\x44\r\n";
constexpr char kStreamChunk[] = "6\r\n\x00\x00\x00\x01\x62\x44\r\n";
// A whole answer: "successful-ok" and no attributes.
constexpr char kPlainAnswer[] =
    "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: 9\r\n\r\n"
    "\x02\x00\x00\x00\x00\x00\x00\x01\x03";

constexpr char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";

enum class Reply {
  kNothing,          // takes the request and never answers
  kEndlessStream,    // answers every request with an answer that never ends
  kStreamPrintJobs,  // answers a job that way, any other request at once
};

// A local socket that takes every connection and reads what comes; its answers as `reply`
// says, an endless one with a chunk every 20 ms.
class SilentServer {
 public:
  explicit SilentServer(Reply reply = Reply::kNothing) : path_(dir_ / "silent.sock") {
    listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path_.copy(address.sun_path, sizeof address.sun_path - 1);
    listening_ = path_.size() < sizeof address.sun_path &&
                 ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 ::listen(listener_, 16) == 0;
    thread_ = std::thread([this, reply] {
      while (!stop_) {
        int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) break;
        clients_.push_back(client);
        accepted_++;
        // Reads the request to its end, so that the client is never stopped by a full socket.
        std::thread([client, reply] {
          std::string request;
          bool answered = reply == Reply::kNothing;
          bool continued = false;
          char buffer[4096];
          for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;) {
            if (answered) continue;
            request.append(buffer, static_cast<std::size_t>(n));
            // The IPP operation follows the HTTP header and the IPP version; a job is answered
            // once its whole document has come.
            const auto body = request.find("\r\n\r\n");
            if (body == std::string::npos || request.size() < body + 8) continue;
            const bool job = request[body + 6] == 0 && request[body + 7] == IPP_OP_PRINT_JOB;
            if (job && !continued && request.find("Expect: 100-continue") < body) {
              ::send(client, kContinue, sizeof kContinue - 1, MSG_NOSIGNAL);
              continued = true;
            }
            if (job && request.size() < body + 4 + ContentLength(request.substr(0, body))) continue;
            answered = true;
            if (reply == Reply::kEndlessStream || job)
              std::thread(Stream, client).detach();
            else
              ::send(client, kPlainAnswer, sizeof kPlainAnswer - 1, MSG_NOSIGNAL);
          }
        }).detach();
      }
    });
  }
  ~SilentServer() {
    stop_ = true;
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    thread_.join();
    for (int client : clients_) ::shutdown(client, SHUT_RDWR);
  }
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  bool Listening() const { return listening_; }
  const std::string& Path() const { return path_; }
  int Accepted() const { return accepted_; }

 private:
  static std::size_t ContentLength(const std::string& header) {
    const auto at = header.find("Content-Length: ");
    return at == std::string::npos ? 0 : std::stoul(header.substr(at + 16));
  }
  static void Stream(int client) {
    bool sent = ::send(client, kStreamHead, sizeof kStreamHead - 1, MSG_NOSIGNAL) > 0;
    while (sent) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      sent = ::send(client, kStreamChunk, sizeof kStreamChunk - 1, MSG_NOSIGNAL) > 0;
    }
  }

  TempDir dir_;
  std::string path_;
  int listener_ = -1;
  bool listening_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  std::vector<int> clients_;
  std::thread thread_;
};

struct Timed {
  int number = 0;
  std::string description;
  double seconds = 0;
};

Timed Time(const std::function<void()>& call) {
  Timed result;
  const auto start = Clock::now();
  try {
    call();
  } catch (const RunError& error) {
    result.number = error.Number();
    result.description = error.Description();
  }
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return result;
}

// Points libcups at `server` for one test, and back afterwards.
class ServerEnvironment {
 public:
  explicit ServerEnvironment(const std::string& server) {
    if (const char* old = std::getenv("CUPS_SERVER")) old_ = old;
    ::setenv("CUPS_SERVER", server.c_str(), 1);
    cupsSetServer(nullptr);  // libcups reads CUPS_SERVER again
  }
  ~ServerEnvironment() {
    if (old_.empty())
      ::unsetenv("CUPS_SERVER");
    else
      ::setenv("CUPS_SERVER", old_.c_str(), 1);
    cupsSetServer(nullptr);
    print::SetPrintServerTimeLimit(print::kPrintServerTimeLimit);
  }
  ServerEnvironment(const ServerEnvironment&) = delete;
  ServerEnvironment& operator=(const ServerEnvironment&) = delete;

 private:
  std::string old_;
};

void ExpectNoAnswer(const Timed& outcome, std::chrono::seconds limit) {
  EXPECT_EQ(outcome.number, static_cast<int>(ErrorNumber::kPrinterError)) << outcome.description;
  EXPECT_NE(outcome.description.find(kNoAnswer), std::string::npos) << outcome.description;
  // The limit, plus the last wait of half a second, plus slack for a loaded machine.
  EXPECT_GE(outcome.seconds, static_cast<double>(limit.count()) - 0.1);
  EXPECT_LT(outcome.seconds, static_cast<double>(limit.count()) + 5.0);
}

// One Kelvarin run in its own folders on the real printer service, with OK pressed.
struct KelvarinRun {
  KelvarinRun() : ctx(printers, messages, log) {
    ctx.CurrentDir = work.path();
    ctx.AppDir = app.path();
    ctx.SupportPhone = "(555) 010-0000";
    WriteFile(work / "VORN.PRN", kQuote);
  }
  std::string Log() const {
    std::error_code ec;
    return fs::exists(app / "actionlog.txt", ec) ? ReadFile(app / "actionlog.txt") : "";
  }
  TempDir work;
  TempDir app;
  print::QtPrinterService printers;
  print::testing::RecordingMessages messages;
  print::testing::FixedClock clock;
  print::ActionLog log{clock, {}, app.path()};
  print::KelvarinContext ctx;
};

// A server that never answers, and one that answers "200 OK" and then streams without end:
// every call ends at its deadline, the listing, the default printer and the job's hand-over
// alike.
TEST(SilentSocket, EveryServerCallEndsWithinItsLimitAsError482) {
  for (const auto& [what, reply] :
       {std::pair{"silent", Reply::kNothing}, std::pair{"streaming", Reply::kEndlessStream},
        std::pair{"streaming the job's answer", Reply::kStreamPrintJobs}}) {
    SCOPED_TRACE(what);
    SilentServer server(reply);
    ASSERT_TRUE(server.Listening());
    ServerEnvironment environment(server.Path());
    print::SetPrintServerTimeLimit(kShortLimit);
    if (reply == Reply::kStreamPrintJobs) {
      print::QtPrinterService printers;
      printers.SelectPrinter({"quotes", "", ""});
      printers.SetFontName("Courier New");
      printers.SetFontSize(12);
      printers.PrintText("A LINE OF THE QUOTE", true);
      ExpectNoAnswer(Time([&] { printers.EndDocument(); }), kShortLimit);
      continue;
    }
    ExpectNoAnswer(Time([] { print::SystemPrinters(); }), kShortLimit);
    ExpectNoAnswer(Time([] { print::SystemDefaultPrinter(); }), kShortLimit);
    EXPECT_GE(server.Accepted(), 2) << "the calls never reached the socket";
  }
}

// The default limit is about 30 s in all, not per step, and an endless answer ends too.
TEST(SilentSocket, TheDefaultLimitIsAboutThirtySecondsInAll) {
  for (const Reply reply : {Reply::kNothing, Reply::kEndlessStream}) {
    SCOPED_TRACE(reply == Reply::kNothing ? "silent" : "streaming");
    SilentServer server(reply);
    ASSERT_TRUE(server.Listening());
    ServerEnvironment environment(server.Path());
    ExpectNoAnswer(Time([] { print::SystemPrinters(); }),
                   std::chrono::duration_cast<std::chrono::seconds>(print::kPrintServerTimeLimit));
  }
}

// Kelvarin with no remembered printer asks for the default one: the run-time error report
// with 482, nothing printed, the print file kept, no settings lost.
TEST(SilentSocket, KelvarinEndsWithTheRunTimeError482NotNoPrinter) {
  SilentServer silent;
  ASSERT_TRUE(silent.Listening());
  ServerEnvironment environment(silent.Path());
  print::SetPrintServerTimeLimit(kShortLimit);
  KelvarinRun run;
  OkWindows windows;
  const Timed outcome = Time([&] { print::Main(run.ctx, windows); });
  EXPECT_EQ(outcome.number, static_cast<int>(ErrorNumber::kPrinterError)) << outcome.description;
  EXPECT_NE(outcome.description.find(kNoAnswer), std::string::npos) << outcome.description;
  EXPECT_LT(outcome.seconds, 3 * kShortLimit.count() + 5.0);
  EXPECT_EQ(windows.shown, 0);
  EXPECT_EQ(ReadFile(run.work / "VORN.PRN"), kQuote);
}

// The print job's own printer lookup: the job's error line and message, never
// "PRINTER NOT FOUND"; the print file is kept.
TEST(SilentSocket, ThePrintJobLogsError482AndShowsTheMessage) {
  SilentServer silent;
  ASSERT_TRUE(silent.Listening());
  ServerEnvironment environment(silent.Path());
  print::SetPrintServerTimeLimit(kShortLimit);
  KelvarinRun run;
  const Timed outcome = Time([&] { print::OutputPrinter(run.ctx, "quotes", 1); });
  EXPECT_EQ(outcome.number, 0);
  EXPECT_LT(outcome.seconds, kShortLimit.count() + 5.0);
  const std::string log = run.Log();
  EXPECT_NE(log.find("ERROR IN OutputPrinter ROUTINE: Error Number: 482 Error Desc: Cannot list "
                     "the printers: the print server did not answer"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("PRINTER NOT FOUND"), std::string::npos) << log;
  EXPECT_EQ(run.messages.shown.size(), 1u);
  EXPECT_EQ(ReadFile(run.work / "VORN.PRN"), kQuote);
}

// ---- the real server, under with_private_cups.sh ----

bool HavePrivateServer() { return std::getenv("VORN_CUPS_PID") != nullptr; }

// The real server paused for one test and let go afterwards.
class PausedServer {
 public:
  PausedServer() : pid_(std::atoi(std::getenv("VORN_CUPS_PID"))) { ::kill(pid_, SIGSTOP); }
  ~PausedServer() { ::kill(pid_, SIGCONT); }
  PausedServer(const PausedServer&) = delete;
  PausedServer& operator=(const PausedServer&) = delete;

 private:
  pid_t pid_;
};

TEST(PrivateServer, NoPrintersIsAnEmptyListAndKelvarinSays484) {
  if (!HavePrivateServer()) GTEST_SKIP() << "run me through with_private_cups.sh";
  const Timed listing = Time([] { EXPECT_TRUE(print::SystemPrinters().empty()); });
  EXPECT_EQ(listing.number, 0) << listing.description;
  const Timed standard = Time([] { EXPECT_EQ(print::SystemDefaultPrinter(), ""); });
  EXPECT_EQ(standard.number, 0) << standard.description;
  KelvarinRun run;
  OkWindows windows;
  const Timed outcome = Time([&] { print::Main(run.ctx, windows); });
  EXPECT_EQ(outcome.number, static_cast<int>(ErrorNumber::kNoPrinter)) << outcome.description;
  EXPECT_EQ(outcome.description, "No printer is installed");
}

TEST(PrivateServer, APausedServerIsError482WithinTheLimit) {
  if (!HavePrivateServer()) GTEST_SKIP() << "run me through with_private_cups.sh";
  print::SetPrintServerTimeLimit(kShortLimit);
  {
    PausedServer paused;
    ExpectNoAnswer(Time([] { print::SystemPrinters(); }), kShortLimit);
    ExpectNoAnswer(Time([] { print::SystemDefaultPrinter(); }), kShortLimit);
  }
  // Once it runs again, it answers.
  const Timed again = Time([] { print::SystemPrinters(); });
  EXPECT_EQ(again.number, 0) << again.description;
  print::SetPrintServerTimeLimit(print::kPrintServerTimeLimit);
}

// The document being painted lies in a file that no name leads to: a run killed at any moment
// leaves no copy of the quote in the temporary folder. The job still prints.
TEST(PrivateServer, TheSpoolFileHasNoNameWhileTheDocumentIsPainted) {
  if (!HavePrivateServer()) GTEST_SKIP() << "run me through with_private_cups.sh";
  ASSERT_EQ(std::system("lpadmin -p spooled -E -v capture:/ && cupsenable spooled && "
                        "cupsaccept spooled"),
            0);
  TempDir temp;
  const char* oldTemp = std::getenv("TMPDIR");
  const std::string restore = oldTemp != nullptr ? oldTemp : "";
  ::setenv("TMPDIR", temp.path().c_str(), 1);
  print::QtPrinterService printers;
  printers.SelectPrinter({"spooled", "", ""});
  printers.SetFontName("Courier New");
  printers.SetFontSize(12);
  for (int i = 0; i < 500; ++i)
    printers.PrintText("A LINE OF THE QUOTE " + std::to_string(i), true);
  EXPECT_EQ(OtherEntries(temp.path(), {}), std::vector<std::string>{})
      << "the document in progress has a name";
  const Timed submitted = Time([&] { printers.EndDocument(); });
  EXPECT_EQ(submitted.number, 0) << submitted.description;
  EXPECT_EQ(OtherEntries(temp.path(), {}), std::vector<std::string>{});
  if (restore.empty())
    ::unsetenv("TMPDIR");
  else
    ::setenv("TMPDIR", restore.c_str(), 1);
}

}  // namespace
}  // namespace vorn::reliability

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
