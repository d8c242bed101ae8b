#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "platform/journal.h"
#include "platform/transaction.h"
#include "support/test_support.h"

namespace kvo::test {

// Every entry below `root` with what a byte-for-byte comparison needs: a file's permissions
// and bytes, a link's target (never followed), a folder's permissions.
inline std::map<std::string, std::string> exactTree(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> tree;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::end(it); ++it) {
    const auto name = fs::relative(it->path(), root).generic_string();
    const auto status = fs::symlink_status(it->path());
    const auto mode = std::to_string(static_cast<int>(status.permissions()));
    if (fs::is_symlink(status)) {
      tree[name] = "link " + fs::read_symlink(it->path()).string();
    } else if (fs::is_directory(status)) {
      tree[name + "/"] = "folder " + mode;
    } else {
      tree[name] = "file " + mode + " " + readFile(it->path());
    }
  }
  return tree;
}

// The tree without the names a transaction gives the files it sets aside or writes anew.
inline std::map<std::string, std::string> withoutTransactionNames(
    std::map<std::string, std::string> tree) {
  std::erase_if(tree,
                [](const auto& entry) { return entry.first.find(".kvo-") != std::string::npos; });
  return tree;
}

// A game folder with its selector folder, a mod folder, the load record and the journal's
// place, and a folder beside it (outside the game folder) for sentinels.
struct TransactionFolders {
  TempDir temp;
  std::filesystem::path game = temp / "EAW";
  std::filesystem::path selector = game / "KVO128";
  std::filesystem::path journal = journalFileIn(selector);
  std::filesystem::path outside = temp / "outside";
  std::filesystem::path mod = selector / "T-Mod";
  std::filesystem::path record = selector / "FoldersLoaded.txt";
  TransactionFolders() {
    std::filesystem::create_directories(game / "Savedata");
    std::filesystem::create_directories(outside);
    writeFile(record, "A-Old\r\n");
  }
  std::string journalId() const { return readJournal(readFile(journal)).journal.id; }
};

}  // namespace kvo::test
