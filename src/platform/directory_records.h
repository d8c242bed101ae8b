#pragma once
// POSIX only: the entries of one open folder as the kernel hands them out, in blocks.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace kvo {

// One entry of a block: its name and the type the folder gives (a DT_* value).
struct DirectoryRecord {
  std::string_view name;
  unsigned char type = 0;
};

// Reads the entries of one folder, which it holds open while it lives. A folder that proves large
// (more than two blocks) is read ahead on a helper thread, so that the kernel's walk of a game
// folder of many thousand files and the caller's work on each name run on two cores rather than one
// after the other; a small folder is read without a helper.
class DirectoryRecords final {
 public:
  // Opens `dir` (a link to a folder is followed); `ec` says why it could not.
  DirectoryRecords(const std::filesystem::path& dir, std::error_code& ec);
  ~DirectoryRecords();
  DirectoryRecords(const DirectoryRecords&) = delete;
  DirectoryRecords& operator=(const DirectoryRecords&) = delete;

  // The open folder, for asking about an entry by its name.
  int handle() const { return handle_; }

  // Calls `visit(record)` for each entry of the next block; false at the end or on a failure,
  // which `ec` then holds.
  template <typename Visit>
  bool nextBlock(std::error_code& ec, Visit visit) {
    if (!fetch(ec)) return false;
    for (std::size_t at = 0; at < current_.size();) {
      DirectoryRecord record;
      at = recordAt(at, record);
      visit(record);
    }
    return true;
  }

 private:
  bool fetch(std::error_code& ec);
  bool readBlock(std::vector<char>& block, std::error_code& ec) const;
  void startReadingAhead();
  void readAhead();
  std::size_t recordAt(std::size_t at, DirectoryRecord& record) const;

  int handle_ = -1;
  int blocksRead_ = 0;
  std::vector<char> current_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<char>> ahead_;  // blocks the helper read, oldest first
  bool helperDone_ = false;              // the helper reached the end or failed
  bool stop_ = false;                    // the caller wants no more
  std::error_code helperEc_;
  std::thread helper_;
};

}  // namespace kvo
