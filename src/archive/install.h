#pragma once

#include <string>
#include <vector>

#include "archive/install_plan.h"
#include "state/form_state.h"
#include "state/game_folder.h"
#include "state/load_record.h"
#include "state/outcome.h"
#include "state/shell.h"

// Installing an add-on from the archive it came in, second part: unpacking and making the
// new folders appear.
namespace kvo {

struct InstallOutcome {
  // What the change did, or why nothing was installed; in a dry run what it would do: one
  // written file per file the archive brings, one deleted file per file of a folder it
  // replaces.
  Outcome outcome;
  // What appeared, relative to KVO128 with "\": "T-Normandy", "Skinfolder\Desert Spitfire".
  std::vector<std::string> created;
  std::vector<std::string> leftOut;  // names in the archive that were not installed
  bool categoryUnknown = false;      // the failure is that no category could be told
  bool ok() const { return outcome.ok(); }
};

// What installing from the archive `archive` is called in the history.
std::string installAction(const std::filesystem::path& archive);

// Unpacks the plan's archive into a staging folder of the selector folder, checking every
// entry against the plan and its bytes against the archive's claims and the limits; then, in
// one change of `game` with its entry in the history, moves what each target replaces aside
// and each new folder into place. Whatever goes wrong, no half folder stays: the staging
// folder is removed, and one a kill leaves goes at the next start. A dry run unpacks nothing
// and tells what the install would write and delete.
InstallOutcome commitInstall(FormState& state, GameFolder& game, const LoadRecord& record,
                             Shell& shell, const InstallPlan& plan,
                             const ArchiveLimits& limits = {});

// planInstall, then commitInstall of its plan.
InstallOutcome installArchive(FormState& state, GameFolder& game, const LoadRecord& record,
                              Shell& shell, const InstallRequest& request,
                              const ArchiveLimits& limits = {});

}  // namespace kvo
