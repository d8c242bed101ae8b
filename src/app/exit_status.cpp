#include "app/exit_status.h"

namespace kvo {

int startupExitStatus(StartupOutcome outcome) {
  switch (outcome) {
    case StartupOutcome::Ready:
      break;
    case StartupOutcome::DuplicateInstance:
      return kExitDuplicate;
    case StartupOutcome::NoGameFolder:
      return kExitUsage;
    case StartupOutcome::LinkedFolder:
      return kExitFailed;
  }
  return kExitDone;
}

}  // namespace kvo
