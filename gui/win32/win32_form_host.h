#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <vector>

#include "common/forms/form.h"
#include "common/forms/handler_failure.h"

namespace vorn::win32 {

class Win32FormWindow;

// Shows forms as Win32 windows and runs their event loops. Modal windows disable every other
// window of the program while they are shown, as the program's own message boxes do. A failure
// raised in an event handler ends every loop and is thrown again from ShowModal or
// RunUntilNoWindow, outside the window system's call-backs.
class Win32FormHost final : public forms::FormHost {
 public:
  // Lays windows out at the screen's dots per inch, as the system reports them to a program
  // that declares itself DPI aware.
  explicit Win32FormHost(HINSTANCE instance);
  // Lays windows out at `dpi` dots per inch, whatever the screen's.
  Win32FormHost(HINSTANCE instance, int dpi);
  ~Win32FormHost() override;
  Win32FormHost(const Win32FormHost&) = delete;
  Win32FormHost& operator=(const Win32FormHost&) = delete;

  void ShowModal(forms::Form& form) override;
  void ShowModeless(forms::Form& form) override;

  void RunUntilNoWindow() override;
  int WindowCount() const { return static_cast<int>(live_.size()); }
  // The dots per inch the windows' twips are converted at (1440 twips to the inch).
  int Dpi() const { return dpi_; }

  // Called by the windows.
  void WindowCreated(Win32FormWindow& window);
  void WindowDestroyed(Win32FormWindow& window);
  void Fail(std::exception_ptr failure);
  void SetBusyPointer(bool busy);
  bool Busy() const { return busy_ > 0; }

 private:
  // One message: Enter and Escape as the forms want them (Enter presses the focused button on
  // a fresh press without Ctrl or Alt), Tab and access keys by the dialog manager, the rest to
  // its window.
  void Dispatch(MSG& message);
  // Waits for and handles one message; false when the program is asked to quit.
  bool Step();

  std::vector<Win32FormWindow*> live_;
  std::vector<std::unique_ptr<Win32FormWindow>> modeless_;
  forms::HandlerFailure failure_;
  int dpi_;
  int busy_ = 0;
  bool quit_ = false;
};

}  // namespace vorn::win32
