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

std::vector<std::string> CleanUp(const fs::path& gameDir, const fs::path& selectorDir) {
  std::vector<std::string> failures;
  std::string iniText;
  const auto ini = findNoCase(selectorDir, "CleanUp.ini");
  if (ini) {
    std::error_code ec;
    auto read = readFileBytes(*ini, ec);
    if (!read) {
      // Without the player's own list, sweeping with the built-in one could delete too much.
      failures.push_back(describeFailure("read", *ini, ec) + "; no file was cleaned up");
      return failures;
    }
    iniText = std::move(*read);
  }
  const auto patterns = cleanUpPatterns(ini ? &iniText : nullptr);
  if (patterns.empty()) return failures;
  std::error_code ec;
  for (const auto& name : listFiles(gameDir, patterns, ec)) {
    if (isProtectedFromCleanUp(name)) continue;
    const auto file = gameDir / nameToPath(name);
    if (auto deleteEc = deleteFile(file)) {
      failures.push_back(describeFailure("delete", file, deleteEc));
    }
  }
  if (ec) failures.push_back(describeFailure("read the folder", gameDir, ec));
  return failures;
}

}  // namespace kvo
