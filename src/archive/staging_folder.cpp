#include "archive/staging_folder.h"

#include <algorithm>

#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "state/game_change.h"
#include "transaction/journal.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Characters that kvo.ini rarely makes a category code; the first one that is not wins.
constexpr std::string_view kFirstCharacters = "~!#_=+";
constexpr std::string_view kMark = "kvo-unpacking-";
constexpr std::size_t kIdLength = 16;
// A tree of thousands of files that cannot go needs no sentence for each.
constexpr std::size_t kMostSentences = 10;

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

void note(std::vector<std::string>& problems, std::size_t& more, std::string sentence) {
  if (problems.size() < kMostSentences) {
    problems.push_back(std::move(sentence));
  } else {
    ++more;
  }
}

// Removes what `folder` holds, depth first, without recursion: archives nest deeply.
void emptyFolder(const fs::path& folder, std::vector<std::string>& problems, std::size_t& more) {
  std::vector<std::pair<fs::path, bool>> stack{{folder, false}};  // bool: listed already
  while (!stack.empty()) {
    auto& [dir, listed] = stack.back();
    if (listed) {
      if (auto ec = removeEmptyFolder(dir); ec && ec != std::errc::no_such_file_or_directory) {
        note(problems, more, describeFailure("remove the folder", dir, ec));
      }
      stack.pop_back();
      continue;
    }
    listed = true;
    const fs::path current = dir;
    std::error_code ec;
    for (fs::directory_iterator it(current, ec), end; !ec && it != end; it.increment(ec)) {
      std::error_code kindEc;
      const auto path = it->path();
      if (entryKind(path, kindEc) == EntryKind::Folder) {
        stack.emplace_back(path, false);
      } else if (auto removeEc = unlinkEntry(path);
                 removeEc && removeEc != std::errc::no_such_file_or_directory) {
        note(problems, more, describeFailure("delete", path, removeEc));
      }
    }
    if (ec && ec != std::errc::no_such_file_or_directory) {
      note(problems, more, describeFailure("read the folder", current, ec));
    }
  }
}

}  // namespace

std::string stagingFolderName(const std::array<std::string, 256>& codes) {
  char first = kFirstCharacters.back();
  for (const char c : kFirstCharacters) {
    if (std::find(codes.begin(), codes.end(), std::string(1, c)) == codes.end()) {
      first = c;
      break;
    }
  }
  return std::string(1, first) + std::string(kMark) + newTransactionId();
}

bool isStagingFolderName(std::string_view name) {
  if (name.size() != 1 + kMark.size() + kIdLength) return false;
  if (kFirstCharacters.find(name[0]) == std::string_view::npos) return false;
  if (name.substr(1, kMark.size()) != kMark) return false;
  const auto id = name.substr(1 + kMark.size());
  return std::all_of(id.begin(), id.end(), isHexDigit);
}

std::vector<std::string> removeFolderTree(const fs::path& folder) {
  std::vector<std::string> problems;
  std::error_code ec;
  const auto kind = entryKind(folder, ec);
  if (kind == EntryKind::None && !ec) return problems;
  if (kind != EntryKind::Folder) {
    if (auto removeEc = unlinkEntry(folder))
      problems.push_back(describeFailure("delete", folder, removeEc));
    return problems;
  }
  std::size_t more = 0;
  emptyFolder(folder, problems, more);
  if (more > 0) {
    problems.push_back("... and " + std::to_string(more) + " more entries of " +
                       displayPath(folder) + ".");
  }
  return problems;
}

void removeUnpackingLeftovers(const FormState& state, Problems& problems) {
  // A change still journaled, or one whose record recovery had to put aside under a dated
  // name, may have moved a player's folder into a staging folder: those stay until it is gone.
  const auto journal = journalPath(state);
  std::error_code ec;
  if (entryKind(journal, ec) != EntryKind::None || ec) return;
  const auto keptPattern = pathToText(journal.stem()) + " *" + pathToText(journal.extension());
  const auto& selectorDir = state.SelectorDir;
  if (!listFiles(selectorDir, keptPattern).empty()) return;
  for (const auto& name : listFolders(selectorDir)) {
    if (!isStagingFolderName(name)) continue;
    for (auto& sentence : removeFolderTree(selectorDir / nameToPath(name))) {
      problems.add(std::move(sentence));
    }
  }
}

}  // namespace kvo
