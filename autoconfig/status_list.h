#pragma once

#include <string>

namespace vorn::autoconfig {

// The status list of Tesmo's window: items in the order added. Texts are ANSI.
class StatusList {
 public:
  virtual ~StatusList() = default;
  virtual void AddItem(const std::string& text) = 0;
};

}  // namespace vorn::autoconfig
