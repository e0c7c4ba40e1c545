#pragma once

#include <string>

#include "autoconfig/status_list.h"

namespace vorn::autoconfig {

// What the configuration run does with Tesmo's status window; Qt realises it as frmMain,
// tests record it. Texts are ANSI.
class StatusWindow : public StatusList {
 public:
  // Shows the window, modeless, centred on the screen.
  virtual void Show() = 0;
  // Selects the most recently added list item and brings it into view.
  virtual void SelectLastItem() = 0;
  virtual void SetTitle(const std::string& text) = 0;
  virtual void SetStatus(const std::string& text) = 0;
  virtual void EnableClose() = 0;
  virtual void ShowPrint() = 0;
};

}  // namespace vorn::autoconfig
