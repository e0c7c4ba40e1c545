#pragma once

#include <exception>

namespace vorn::forms {

// The first failure that escaped a form's event handler, kept by a host until its loops have
// ended and thrown again from there, outside the window system's call-backs. Both front ends
// end a run this way.
class HandlerFailure {
 public:
  // Keeps `failure` unless one is kept already.
  void Keep(std::exception_ptr failure) {
    if (!failure_) failure_ = failure;
  }
  bool Kept() const { return failure_ != nullptr; }
  // Throws the kept failure again, once; does nothing when none is kept.
  void ThrowIfKept() {
    if (!failure_) return;
    std::exception_ptr failure = failure_;
    failure_ = nullptr;
    std::rethrow_exception(failure);
  }

 private:
  std::exception_ptr failure_;
};

}  // namespace vorn::forms
