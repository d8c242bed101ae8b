#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "state/core.h"

namespace kvo {

// A file that loading a folder would overwrite, and who provides it now: a loaded folder's
// name, or "game" for a file of the game itself.
struct Conflict {
  std::string file;
  std::string provider;
};

// The files of the game folder that loading `modFolder` would overwrite.
std::vector<Conflict> loadConflicts(Core& core, const std::filesystem::path& modFolder);

// One line for the preview: which loaded folders and how many game files loading would
// overwrite.
std::string conflictSummary(const std::vector<Conflict>& conflicts);

// A file of the deployment record that is not what its provider holds.
struct DeploymentFault {
  std::string file;
  std::string provider;
  std::string fault;  // "missing" or "changed"
};

// Checks every file of the deployment record against the folder that provided it.
std::vector<DeploymentFault> verifyDeployment(Core& core);

}  // namespace kvo
