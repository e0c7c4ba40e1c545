#pragma once

#include "tests/support/fixed_clock.h"
#include "tests/support/recording_message_boxes.h"
#include "tests/support/recording_printer_service.h"

namespace vorn::print::testing {

// The print tests' names for the shared test doubles.
using ::vorn::testing::FixedClock;
using ::vorn::testing::RecordingPrinterService;
using RecordingMessages = ::vorn::testing::RecordingMessageBoxes;

}  // namespace vorn::print::testing
