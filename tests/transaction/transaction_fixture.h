#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

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

}  // namespace kvo::test
