#pragma once

#include <cups/cups.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "common/run_error.h"

namespace vorn::print {

// How long one call to the print server may take in all, from connecting to the last answer.
inline constexpr std::chrono::milliseconds kPrintServerTimeLimit{30000};

// Sets the time limit for the connections made from now on (tests shorten it).
void SetPrintServerTimeLimit(std::chrono::milliseconds limit);

// One connection to the print server the system names (CUPS_SERVER, client.conf or the local
// socket), with a deadline on everything done through it: a server that stops answering, or
// that answers and never stops (a stream that does not end), ends the call when the limit is
// reached instead of holding the program for minutes. At the deadline the connection is shut
// down under the call, which then fails.
class CupsConnection {
 public:
  // Connects for the call `what` ("Cannot list the printers"); throws Failure() when the
  // server cannot be reached within the time limit.
  explicit CupsConnection(std::string what);
  ~CupsConnection();
  CupsConnection(const CupsConnection&) = delete;
  CupsConnection& operator=(const CupsConnection&) = delete;

  http_t* get() const { return http_; }

  // Error 482 for the call that failed: "<what>: " followed by why: that the print server
  // did not answer, when the time ran out or the server could not be reached, or else the
  // server's own reason.
  RunError Failure() const;

 private:
  static int KeepWaiting(http_t* http, void* self);
  bool TimeIsUp() const;
  void Watch();

  std::string what_;
  http_t* http_ = nullptr;
  int connectError_ = 0;  // why connecting failed, as errno
  std::chrono::milliseconds limit_;
  std::chrono::steady_clock::time_point deadline_;
  // Shuts the connection down at the deadline, whatever passes through it meanwhile.
  std::thread watchdog_;
  std::mutex mutex_;
  std::condition_variable ended_;
  bool done_ = false;
};

}  // namespace vorn::print
