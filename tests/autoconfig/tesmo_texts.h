#pragma once

#include "recording_message_boxes.h"

namespace vorn::autoconfig::testing {

// The boxes are answered by the one recording kind every test uses.
using ::vorn::testing::RecordingMessageBoxes;

// Texts of Tesmo's messages.
inline constexpr char kConfirmText[] =
    "This utility will now automatically configure your Vorn programs.\r\n\r\n"
    "All Vorn programs should be closed prior to clicking the \"OK\" button. If you wish to "
    "manually configure each Vorn program installed, click cancel.";
inline constexpr char kCancelledText[] =
    "To use this auto configuration utility later, you must reinstall the Print Utility.";
inline constexpr char kNothingFoundText[] =
    "No Vorn programs were found on the drive you installed this utility to!";
inline constexpr char kFailureText[] =
    "An error has occured. You may need to configure your Vorn programs manually to use the "
    "printer utility.";

}  // namespace vorn::autoconfig::testing
