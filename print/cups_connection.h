#pragma once

#include <cups/cups.h>

#include <chrono>
#include <string>

#include "common/run_error.h"

namespace vorn::print {

// How long one call to the print server may take in all, from connecting to the last answer.
inline constexpr std::chrono::milliseconds kPrintServerTimeLimit{30000};

// Sets the time limit for the connections made from now on (tests shorten it).
void SetPrintServerTimeLimit(std::chrono::milliseconds limit);

// One connection to the print server the system names (CUPS_SERVER, client.conf or the local
// socket), with a time limit on everything done through it: a server that stops answering
// ends the call when the limit is reached instead of holding the program for minutes.
class CupsConnection {
 public:
  // Connects for the call `what` ("Cannot list the printers"); throws Failure() when the
  // server cannot be reached within the time limit.
  explicit CupsConnection(std::string what);
  ~CupsConnection();
  CupsConnection(const CupsConnection&) = delete;
  CupsConnection& operator=(const CupsConnection&) = delete;

  http_t* get() const { return http_; }

  // Counts the time limit again from now: the server has just taken part of a long transfer.
  void Extend();

  // Error 482 for the call that failed: "<what>: " followed by why: that the print server
  // did not answer, when the time ran out or the server could not be reached, or else the
  // server's own reason.
  RunError Failure() const;

 private:
  static int KeepWaiting(http_t* http, void* self);
  bool TimeIsUp() const;

  std::string what_;
  http_t* http_ = nullptr;
  int connectError_ = 0;  // why connecting failed, as errno
  std::chrono::milliseconds limit_;
  std::chrono::steady_clock::time_point deadline_;
};

}  // namespace vorn::print
