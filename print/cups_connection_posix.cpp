#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include "print/cups_connection.h"

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
}

CupsConnection::~CupsConnection() {
  if (http_ != nullptr) httpClose(http_);
}

void CupsConnection::Extend() { deadline_ = std::chrono::steady_clock::now() + limit_; }

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
