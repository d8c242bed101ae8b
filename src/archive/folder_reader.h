#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "archive/entry_reader.h"

namespace kvo {

// A folder the player drops, read as if it were an archive of itself: the folder first (its
// own name is the archive's top), then what it holds, each folder before its content, names
// in a fixed order. A link or a device comes as what it is and is never followed. The folder
// is walked as it is read, so that a huge one meets the entry limit before it is listed whole.
class FolderReader final : public EntryReader {
 public:
  // Reads `folder`; failed() tells whether it cannot be.
  explicit FolderReader(const std::filesystem::path& folder);

  bool next(EntryHeader& header) override;
  bool readData(const std::function<bool(std::string_view bytes)>& sink) override;
  // The bytes of the files met so far: a folder takes as much room as it holds.
  std::uint64_t sourceBytes() const override { return fileBytes_; }

 private:
  // One folder on the way down: its entries' names, and how many were handed out.
  struct Level {
    std::filesystem::path dir;
    std::string name;  // UTF-8 below the top, "/" between folders
    std::vector<std::filesystem::path> children;
    std::size_t done = 0;
  };
  bool describe(const std::filesystem::path& path, std::optional<std::string> name,
                EntryHeader& header);
  bool enter(const std::filesystem::path& dir, const std::string& name);

  std::filesystem::path folder_;
  std::vector<Level> levels_;
  bool started_ = false;
  std::filesystem::path current_;  // the file whose bytes readData gives
  std::uint64_t fileBytes_ = 0;
};

}  // namespace kvo
