#pragma once

#include "engine/deployment_record.h"
#include "planes/placement_record.h"
#include "state/form_state.h"
#include "state/game_folder.h"

namespace kvo {

// Plane installs, fuel buttons and skins recorded in the deployment record: a written file is
// the patch of the loaded folder whose plane it installs, a skin's file the skin folder's; with
// "Keep the game's own files" the first of them over a game file keeps that file.
class DeployedPlacements final : public PlacementRecord {
 public:
  DeployedPlacements(const FormState& state, GameFolder& game) : state_(state), game_(game) {}

  void planWrites(GameChange& change, const std::string& owner,
                  std::vector<GameFileWrite> files) override;
  void planCopy(GameChange& change, const std::string& owner, const std::filesystem::path& source,
                const std::filesystem::path& target, std::string caption) override;
  void planSkins(GameChange& change, const std::vector<SkinUnload>& unloads,
                 const std::string& skin, const std::vector<PlacedCopy>& copies) override;
  void planRenameSkin(GameChange& change, const std::string& from, const std::string& to) override;

 private:
  // Notes the patch `bytes` of `owner` at `target` in `record`, keeping the game's own file
  // first when it is the first change of it; false when the record has no place for it.
  bool notePatch(GameChange& change, DeploymentRecord& record, const std::string& owner,
                 const std::filesystem::path& target, std::string_view bytes);

  const FormState& state_;
  GameFolder& game_;
};

}  // namespace kvo
