#include "app/selector.h"
#include "engine/folder_engine.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

bool FolderEngine::MoveIn(const fs::path& modFolder) {
  auto& st = s_.state;
  if (modFolder == st.GameDir || !st.GridReady) return true;
  for (const auto& name : listFiles(modFolder, "*.*")) {
    if (auto ec = copyFileOver(modFolder / name, resolveNoCase(st.GameDir, name))) {
      s_.shell.message(describeFailure("copy", modFolder / name, ec), Icon::Critical, "KVO");
      return false;
    }
  }
  return true;
}

}  // namespace kvo
