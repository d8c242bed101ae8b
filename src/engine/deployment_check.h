#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/listing.h"
#include "state/form_state.h"

namespace kvo {

// A file that loading a folder would overwrite, and who provides it now: a loaded folder's
// name, or "game" for a file of the game itself.
struct Conflict {
  std::string file;
  std::string provider;
};

// The files of the game folder (listed as `game`) that loading `modFolder` would overwrite.
std::vector<Conflict> loadConflicts(const FormState& state, const FolderIndex& game,
                                    const std::filesystem::path& modFolder);

// A file of the deployment record that is not what its provider holds.
struct DeploymentFault {
  std::string file;
  std::string provider;
  std::string fault;  // "missing" or "changed"
};

// Checks every file of the deployment record against the folder that provided it.
std::vector<DeploymentFault> verifyDeployment(const FormState& state, const FolderIndex& game);

}  // namespace kvo
