#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/deployment_record.h"
#include "engine/folder_plan.h"
#include "platform/listing.h"
#include "state/form_state.h"
#include "state/game_change.h"

namespace kvo {

// The folder in the game folder that keeps the game's own files while loaded folders
// replace them. Not in the selector folder, where every folder shows as a mod folder.
inline constexpr std::string_view kOriginalsStoreName = "KVO Originals";

// The folder that holds the files of the record's provider `provider`: a mod folder or a skin
// folder of the selector folder; none for a patch, which no folder holds.
std::optional<std::filesystem::path> providerFolderPath(const FormState& state,
                                                        std::string_view provider);
// How the player knows the provider `provider`: a folder's name, "skin NAME", "install of NAME".
std::string providerShown(std::string_view provider);

// The deployment record of the game folder's selector folder.
std::filesystem::path deploymentRecordPath(const FormState& state);
// Where the store keeps the original of `file` (a record path).
std::filesystem::path storedOriginal(const FormState& state, std::string_view file);
// The game folder's file that the record path `file` names.
std::filesystem::path deployedTarget(const FormState& state, std::string_view file);
// The record path of `target`, a file below the game folder; nothing when it has no place in
// the record (outside the game folder, or a name with a tab or a line break).
std::optional<std::string> recordPathOf(const FormState& state,
                                        const std::filesystem::path& target);
// The same for a path held as its text, which is not taken apart.
std::optional<std::string> recordPathOf(const FormState& state, const PathText& target);

// Finds the file a record path names in the game folder whatever its letter case is now (the
// game or Wine may rewrite Terrain.TER as terrain.ter), each folder listed once, as the steps
// of `change` planned so far leave it.
class DeployedLookup final {
 public:
  // `gameListing` is the listing of the game folder to use rather than a new one.
  DeployedLookup(const FormState& state, const FolderIndex& gameListing, const GameChange& change);
  struct Found {
    std::optional<std::filesystem::path> path;  // the one file answering to it; none when absent
    bool ambiguous = false;  // two or more files answer to it: none of them is taken for it
  };
  Found find(std::string_view file);

 private:
  const FolderIndex& folder(const std::filesystem::path& dir);
  static Found foundOf(const std::filesystem::path& dir, const std::vector<std::string>& names);
  const FormState& state_;
  const FolderIndex& gameListing_;
  const GameChange& change_;
  std::map<std::filesystem::path, FolderIndex> folders_;
};

// The record as the selector folder holds it (or as the change planned so far writes it), made
// to agree with the marks of `Unigrid`: folders that are not loaded leave it, loaded folders it
// does not know join it with their files. A record that is missing, unreadable or of another
// version is rebuilt that way. Reads only; nothing is written until a change commits.
DeploymentRecord readDeployment(const PlannedFolder& at);

// Puts the unloads and loads of one click into `change` through `record`: a file another
// loaded folder also provides comes back from the most recently loaded of them instead of
// being deleted, a game file kept in the store comes back when its last provider goes, and
// with `KeepOriginals` a game file that a load replaces goes into the store first. The
// record's new text is the change's next step. A file is deleted only when the folder that
// provided it holds that name, never a save or a protected name of the clean-up list; what the
// record names wrongly is left alone and passed over. `game` is the game folder's listing.
void addDeployment(GameChange& change, const FormState& state, const FolderIndex& game,
                   DeploymentRecord& record, const std::vector<UnloadPlan>& unloads,
                   const std::vector<LoadPlan>& loads);

// Puts back every game file the store keeps for `record`, in place of the copy that replaced
// it (Reset All): each failure reported, the rest going on.
void addOriginalsBack(GameChange& change, const FormState& state, const FolderIndex& game,
                      const DeploymentRecord& record);

// The note for a record path that two files of the game folder answer to.
std::string ambiguousNote(std::string_view file);

}  // namespace kvo
