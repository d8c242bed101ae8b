#include "app/selector.h"
#include "engine/folder_engine.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

bool FolderEngine::MoveOut(const fs::path& modFolder) {
  auto& st = s_.state;
  if (modFolder == st.GameDir) return true;
  const FolderIndex game(st.GameDir);
  for (const auto& name : listFiles(modFolder, "*.*")) {
    if (auto found = game.find(name)) deleteFile(st.GameDir / *found);
  }
  RecordLoadedFolders();
  return true;
}

}  // namespace kvo
