#include "scripts/music_switch.h"

#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

std::string renameMusicFolders(Core& core, const fs::path& music, const fs::path& inUseFolder,
                               const fs::path& chosen) {
  // One change: the game is never left without its music folder.
  GameChange change(core);
  change.rename(music, inUseFolder);
  change.rename(chosen, music);
  Problems problems;
  if (change.commit(problems)) return {};
  return change.failure() + " The music was not switched.";
}

}  // namespace kvo
