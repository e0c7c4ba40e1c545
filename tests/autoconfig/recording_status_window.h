#pragma once

#include <string>
#include <vector>

#include "autoconfig/status_window.h"

namespace vorn::autoconfig::testing {

// Records what the run does with its window, in order, one event per call.
class RecordingStatusWindow final : public StatusWindow {
 public:
  explicit RecordingStatusWindow(std::vector<std::string>& events) : events_(events) {}
  void Show() override { events_.push_back("show"); }
  void AddItem(const std::string& text) override { events_.push_back("item:" + text); }
  void SelectLastItem() override { events_.push_back("select last"); }
  void SetTitle(const std::string& text) override { events_.push_back("title:" + text); }
  void SetStatus(const std::string& text) override { events_.push_back("status:" + text); }
  void EnableClose() override { events_.push_back("enable close"); }
  void ShowPrint() override { events_.push_back("show print"); }

 private:
  std::vector<std::string>& events_;
};

}  // namespace vorn::autoconfig::testing
