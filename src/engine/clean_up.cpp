#include "engine/clean_up.h"

#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

bool isProtectedFromCleanUp(std::string_view fileName) {
  const auto upper = toUpperAscii(fileName);
  return upper == "DSG.ICO" || upper == "EXTRA.SPT" || upper == "CHATLINE.TXT" ||
         upper == "HOF.DAT";
}

std::string cleanUpPatterns(const std::string* iniText) {
  if (!iniText) return std::string(kBuiltInCleanUpPatterns);
  const auto lines = splitLines(*iniText);
  // An empty first line gives no pattern at all, so nothing is swept.
  return lines.empty() ? std::string() : lines.front();
}

Problems CleanUp(FolderIndex& game, const fs::path& selectorDir) {
  const auto& gameDir = game.dir();
  Problems failures;
  std::string iniText;
  const auto ini = findNoCase(selectorDir, "CleanUp.ini");
  if (ini) {
    std::error_code ec;
    auto read = readFileBytes(*ini, ec);
    if (!read) {
      // Without the player's own list, sweeping with the built-in one could delete too much.
      failures.add(describeFailure("read", *ini, ec) + "; no file was cleaned up");
      return failures;
    }
    iniText = std::move(*read);
  }
  const auto patterns = cleanUpPatterns(ini ? &iniText : nullptr);
  if (patterns.empty()) return failures;
  if (game.error()) failures.add(describeFailure("read the folder", gameDir, game.error()));
  for (const auto& name : game.files(patterns)) {
    if (isProtectedFromCleanUp(name)) continue;
    const auto file = gameDir / nameToPath(name);
    if (auto deleteEc = deleteFile(file)) {
      failures.add(describeFailure("delete", file, deleteEc));
    } else {
      game.erase(name);
    }
  }
  return failures;
}

Problems CleanUp(const fs::path& gameDir, const fs::path& selectorDir) {
  FolderIndex game(gameDir);
  return CleanUp(game, selectorDir);
}

}  // namespace kvo
