// A connection to the CUPS print server with a deadline for the whole call. Divisions, in
// order: the time limit; opening and closing the connection; watching the deadline while
// libcups waits; the failure to report.
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include "print/platform/cups_connection.h"

namespace vorn::print {

namespace {

std::atomic<long long> g_limitMs{kPrintServerTimeLimit.count()};

// How often a silent connection asks whether to wait on.
constexpr double kWaitQuantumSeconds = 0.5;

}  // namespace

void SetPrintServerTimeLimit(std::chrono::milliseconds limit) { g_limitMs = limit.count(); }

CupsConnection::CupsConnection(std::string what)
    : what_(std::move(what)),
      limit_(g_limitMs.load()),
      deadline_(std::chrono::steady_clock::now() + limit_) {
  int cancel = 0;
  http_ = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                       static_cast<int>(limit_.count()), &cancel);
  if (http_ == nullptr) {
    connectError_ = errno;
    throw Failure();
  }
  httpSetTimeout(http_, kWaitQuantumSeconds, &CupsConnection::KeepWaiting, this);
  watchdog_ = std::thread(&CupsConnection::Watch, this);
}

CupsConnection::~CupsConnection() {
  if (watchdog_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    ended_.notify_one();
    watchdog_.join();
  }
  if (http_ != nullptr) httpClose(http_);
}

void CupsConnection::Watch() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (ended_.wait_until(lock, deadline_, [this] { return done_; })) return;
  // Shut down, not closed: the descriptor stays the connection's until the call ends, and the
  // call's next read or write fails at once.
  ::shutdown(httpGetFd(http_), SHUT_RDWR);
}

bool CupsConnection::TimeIsUp() const { return std::chrono::steady_clock::now() >= deadline_; }

int CupsConnection::KeepWaiting(http_t* /*http*/, void* self) {
  return static_cast<CupsConnection*>(self)->TimeIsUp() ? 0 : 1;
}

RunError CupsConnection::Failure() const {
  std::string why;
  if (http_ == nullptr || TimeIsUp()) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit_).count();
    why = "the print server did not answer within " + std::to_string(seconds) + " s";
    if (http_ == nullptr && !TimeIsUp()) {
      why = std::string("the print server did not answer (") +
            (connectError_ != 0 ? std::strerror(connectError_) : "no connection") + ")";
    }
  } else {
    const char* reason = cupsLastErrorString();
    why = reason != nullptr && *reason != '\0' ? reason : "unknown print server error";
  }
  return RunError(ErrorNumber::kPrinterError, what_ + ": " + why);
}

}  // namespace vorn::print
