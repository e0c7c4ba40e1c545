#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/run_error.h"

namespace vorn::print {

// One call of a spooler function that fills a caller's buffer: `query(buffer, size, &needed)`
// returns TRUE when the answer fit, else FALSE with the last error set and, for a buffer too
// small, `needed` the size it asks for.
using SpoolerQuery = std::function<BOOL(BYTE* buffer, DWORD size, DWORD* needed)>;

// The spooler's whole answer. The size it asks for can grow between two calls (a printer added
// meanwhile), so it is asked again with the new size until the answer fits. A spooler that
// fails, or whose answer never fits, is RunError 482 whose description begins with `what`.
std::vector<BYTE> SpoolerAnswer(const SpoolerQuery& query, const std::string& what);

// How long one question to the spooler may take in all.
inline constexpr std::chrono::milliseconds kSpoolerTimeLimit{30000};

// The error of a spooler call that ran out of time.
RunError SpoolerTimeUp(std::chrono::milliseconds limit, const std::string& what);

// Runs `call` on a thread of its own and waits for it at most `limit`: a spooler whose print
// server does not answer, or never ends its answer, is RunError 482 ("<what>: the print server
// did not answer within <n> s") instead of a program that waits for good. A call given up on
// runs on until the spooler lets it go, and its result is dropped; whatever it uses must stay
// valid until then. An exception of `call` is thrown as it is.
template <typename T>
T SpoolerCallWithin(std::chrono::milliseconds limit, const std::string& what,
                    std::function<T()> call) {
  // The task lives as long as its thread: a thread given up on still has it to finish.
  auto task = std::make_shared<std::packaged_task<T()>>(std::move(call));
  std::future<T> result = task->get_future();
  std::thread([task] { (*task)(); }).detach();
  if (result.wait_for(limit) != std::future_status::ready) throw SpoolerTimeUp(limit, what);
  return result.get();
}

}  // namespace vorn::print
