#pragma once

#include <string>
#include <vector>

#include "autoconfig/status_list.h"

namespace vorn::autoconfig::testing {

class RecordingStatusList final : public StatusList {
 public:
  void AddItem(const std::string& text) override { items.push_back(text); }
  std::vector<std::string> items;
};

}  // namespace vorn::autoconfig::testing
