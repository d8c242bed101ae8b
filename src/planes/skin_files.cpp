#include "planes/skin_files.h"

#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool endsWithAny(std::string_view upper, std::initializer_list<std::string_view> tails) {
  for (auto tail : tails) {
    if (upper.ends_with(tail)) return true;
  }
  return false;
}

bool forbiddenInWindowsName(char c) {
  return static_cast<unsigned char>(c) < 32 ||
         std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
}

char swapCase(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

}  // namespace

bool isSkinPictureOrText(std::string_view fileName) {
  const auto upper = toUpperAscii(fileName);
  return upper == "SKINPIC" || upper == "MYPIC" ||
         endsWithAny(upper, {".GIF", ".TXT", ".JPG", ".ASK", ".PCX"});
}

bool isSkinDataFile(std::string_view fileName) {
  const auto upper = toUpperAscii(fileName);
  return upper == "LOADOUT.DAT" || upper == "PLANES.DAT" || upper == "WEAPONS.DAT" ||
         endsWithAny(upper, {".FLT", ".STR"});
}

bool skinFileIsCopied(std::string_view fileName) {
  return !isSkinPictureOrText(fileName);
}

bool skinFileIsDeleted(std::string_view fileName, bool includeFlightFiles) {
  if (isSkinPictureOrText(fileName)) return false;
  return includeFlightFiles || !isSkinDataFile(fileName);
}

std::string skinNameProblem(std::string_view name) {
  if (name.empty()) return "Type the new name of the skin folder first.";
  if (name == "." || name == "..") {
    std::string text = "\"";
    text.append(name).append("\" cannot name a folder.");
    return text;
  }
  for (char c : name) {
    if (forbiddenInWindowsName(c)) {
      return "A folder name cannot hold control characters or any of \\ / : * ? \" < > |";
    }
  }
  // Windows drops a trailing space or full stop, so the folder would get another name.
  if (name.back() == ' ' || name.back() == '.') {
    return "A folder name cannot end with a space or a full stop.";
  }
  return {};
}

bool folderIgnoresCase(const fs::path& folder) {
  std::string name = pathToText(folder.filename());
  std::string swapped = name;
  for (char& c : swapped) c = swapCase(c);
  if (swapped == name) return false;
  std::error_code ec;
  return fs::equivalent(folder, folder.parent_path() / nameToPath(swapped), ec);
}

}  // namespace kvo
