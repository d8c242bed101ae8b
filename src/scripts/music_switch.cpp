#include "scripts/music_switch.h"

#include "platform/file_ops.h"

namespace kvo {
namespace fs = std::filesystem;

std::string renameMusicFolders(const fs::path& music, const fs::path& inUseFolder,
                               const fs::path& chosen) {
  if (auto ec = renamePath(music, inUseFolder)) {
    return describeFailure("rename the folder", music, ec) + " The music was not switched.";
  }
  const auto ec = renamePath(chosen, music);
  if (!ec) return {};
  std::string failure = describeFailure("rename the folder", chosen, ec);
  // The game must never be left without its music folder.
  if (auto back = renamePath(inUseFolder, music)) {
    return failure + " The music in use could not be put back either (" + back.message() +
           "): it is now in " + displayPath(inUseFolder) + "; rename that folder to " +
           displayPath(music.filename()) + " to hear it in the game again.";
  }
  return failure + " The music was not switched.";
}

}  // namespace kvo
