#pragma once

#include <string>
#include <vector>

#include "archive/install_plan.h"
#include "state/problems.h"

// Installing an add-on from the archive it came in, second part: unpacking and making the
// new folders appear.
namespace kvo {

struct InstallOutcome {
  // What appeared, relative to KVO128 with "\": "T-Normandy", "Skinfolder\Desert Spitfire".
  std::vector<std::string> created;
  std::vector<std::string> leftOut;  // names in the archive that were not installed
  std::string failure;               // the one sentence when nothing was installed
  bool categoryUnknown = false;      // the failure is that no category could be told
  Problems passedOver;               // what could not be tidied away afterwards
  bool ok() const { return failure.empty(); }
};

// Unpacks the plan's archive into a staging folder of the selector folder, checking every
// entry against the plan and its bytes against the archive's claims and the limits; then, in
// one transaction, moves what each target replaces aside and each new folder into place.
// Whatever goes wrong, no half folder stays: the staging folder is removed, and one a kill
// leaves goes at the next start.
InstallOutcome commitInstall(Core& core, const InstallPlan& plan, const ArchiveLimits& limits = {});

// planInstall, then commitInstall of its plan.
InstallOutcome installArchive(Core& core, const InstallRequest& request,
                              const ArchiveLimits& limits = {});

}  // namespace kvo
