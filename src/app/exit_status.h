#pragma once

#include "app/selector.h"
#include "state/outcome.h"

namespace kvo {

// The exit status for a start-up that did not get the selector ready; kExitDone when it did.
int startupExitStatus(StartupOutcome outcome);

}  // namespace kvo
