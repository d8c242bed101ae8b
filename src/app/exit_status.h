#pragma once

#include "app/selector.h"

namespace kvo {

// The exit statuses of the kvo program, for the window and the commands alike.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDuplicate = 3;

// The exit status for a start-up that did not get the selector ready; kExitDone when it did.
int startupExitStatus(StartupOutcome outcome);

}  // namespace kvo
