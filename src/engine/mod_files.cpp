#include "engine/mod_files.h"

#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool endsWithUpper(const std::string& upper, std::string_view tail) {
  return upper.ends_with(tail);
}

}  // namespace

GameTarget loadTarget(std::string_view name) {
  const auto upper = toUpperAscii(name);
  if (endsWithUpper(upper, ".MSN") || endsWithUpper(upper, ".SVE")) return GameTarget::Savedata;
  if (endsWithUpper(upper, ".BGM")) return GameTarget::Music;
  return GameTarget::GameFolder;
}

GameTarget unloadTarget(std::string_view name) {
  const auto upper = toUpperAscii(name);
  if (endsWithUpper(upper, ".MSN")) return GameTarget::Savedata;
  if (endsWithUpper(upper, ".BGM")) return GameTarget::Music;
  return GameTarget::GameFolder;
}

bool gameWritesFile(std::string_view file) {
  const auto slash = file.find('\\');
  if (slash != std::string_view::npos) {
    const auto top = file.substr(0, slash);
    if (equalsNoCase(top, "Savedata") || equalsNoCase(top, "Music")) return true;
  }
  const auto upper = toUpperAscii(file.substr(file.rfind('\\') + 1));
  return endsWithUpper(upper, ".INI") || endsWithUpper(upper, ".CFG") ||
         endsWithUpper(upper, ".SVE") || endsWithUpper(upper, ".MSN");
}

bool staysInModFolder(std::string_view name) {
  const auto upper = toUpperAscii(name);
  return upper.starts_with("ECA") || endsWithUpper(upper, ".LDR") || upper == "MYPIC" ||
         upper == "CONTENTS.TXT" || endsWithUpper(upper, ".JPG") || endsWithUpper(upper, ".PCX") ||
         endsWithUpper(upper, ".GIF");
}

bool isCareerFolderName(std::string_view folderName) {
  // Only the folder's own name counts: a game installed under "D:\C-Games" must not turn
  // every mod folder into a career folder.
  return folderName.starts_with("C-") || folderName.starts_with("C ");
}

bool hasAlternativePlanes(const fs::path& folder) {
  for (const auto& name : listFolders(folder)) {
    if (name.starts_with("P-")) return true;
  }
  return false;
}

fs::path targetFolder(const FolderIndex& game, GameTarget target) {
  switch (target) {
    case GameTarget::Savedata:
      return game.resolve("Savedata");
    case GameTarget::Music:
      return game.resolve("Music");
    case GameTarget::GameFolder:
      break;
  }
  return game.dir();
}

}  // namespace kvo
