#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "platform/journal.h"
#include "platform/transaction.h"
#include "support/test_support.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

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

#ifndef _WIN32
// Runs the planned change in a child process that dies, as a kill would, once `crashAfter`
// steps are done, or after the commit point when `crashAfter` is past the last step.
inline void crashDuring(const std::filesystem::path& game, const std::filesystem::path& journal,
                        const std::function<void(FileTransaction&)>& plan, std::size_t crashAfter) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileTransaction t(game, journal);
    plan(t);
    t.commit([&](std::size_t done, std::size_t) {
      if (done == crashAfter) ::_exit(0);
    });
    ::_exit(0);  // committed but never finished
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
#endif

}  // namespace kvo::test
