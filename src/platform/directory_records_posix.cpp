#include "platform/directory_records.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <new>

namespace kvo {

namespace {

// As glibc's own readdir: about a thousand names of a game folder.
constexpr std::size_t kBlockBytes = 32 * 1024;
// Blocks read ahead before the helper waits for the caller: two megabytes of names.
constexpr std::size_t kMostAhead = 64;
// Read by the caller before a helper is worth starting.
constexpr int kBlocksBeforeHelper = 2;

}  // namespace

DirectoryRecords::DirectoryRecords(const std::filesystem::path& dir, std::error_code& ec)
    : handle_(::open(dir.c_str(), O_RDONLY | O_NONBLOCK | O_DIRECTORY | O_CLOEXEC)) {
  ec.clear();
  if (handle_ < 0) ec = std::error_code(errno, std::generic_category());
}

DirectoryRecords::~DirectoryRecords() {
  if (helper_.joinable()) {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    helper_.join();
  }
  if (handle_ >= 0) ::close(handle_);
}

bool DirectoryRecords::readBlock(std::vector<char>& block, std::error_code& ec) const {
  block.resize(kBlockBytes);
  const auto got = ::getdents64(handle_, block.data(), block.size());
  if (got < 0) {
    ec = std::error_code(errno, std::generic_category());
    block.clear();
    return false;
  }
  block.resize(static_cast<std::size_t>(got));
  return got > 0;
}

bool DirectoryRecords::fetch(std::error_code& ec) {
  if (handle_ < 0) return false;
  if (!helper_.joinable()) {
    if (!readBlock(current_, ec)) return false;
    if (++blocksRead_ == kBlocksBeforeHelper) startReadingAhead();
    return true;
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !ahead_.empty() || helperDone_; });
  if (ahead_.empty()) {
    ec = helperEc_;
    return false;
  }
  current_ = std::move(ahead_.front());
  ahead_.pop_front();
  lock.unlock();
  changed_.notify_all();
  return true;
}

void DirectoryRecords::startReadingAhead() {
  try {
    helper_ = std::thread([this] { readAhead(); });
  } catch (const std::system_error&) {
    // No thread to be had: the caller reads on by itself.
  }
}

void DirectoryRecords::readAhead() {
  while (true) {
    std::vector<char> block;
    std::error_code ec;
    bool more = false;
    try {
      more = readBlock(block, ec);
    } catch (const std::bad_alloc&) {
      ec = std::make_error_code(std::errc::not_enough_memory);
    }
    std::unique_lock lock(mutex_);
    if (more) {
      try {
        ahead_.push_back(std::move(block));
      } catch (const std::bad_alloc&) {
        ec = std::make_error_code(std::errc::not_enough_memory);
        more = false;
      }
    }
    if (!more) {
      helperEc_ = ec;
      helperDone_ = true;
      lock.unlock();
      changed_.notify_all();
      return;
    }
    lock.unlock();
    changed_.notify_all();
    lock.lock();
    changed_.wait(lock, [this] { return stop_ || ahead_.size() < kMostAhead; });
    if (stop_) return;
  }
}

// The record at byte `at` of the current block; where the next one starts. The kernel's
// records are read field by field, as bytes, wherever they lie.
std::size_t DirectoryRecords::recordAt(std::size_t at, DirectoryRecord& record) const {
  const char* start = current_.data() + at;
  unsigned short length = 0;
  std::memcpy(&length, start + offsetof(dirent64, d_reclen), sizeof length);
  std::memcpy(&record.type, start + offsetof(dirent64, d_type), sizeof record.type);
  const char* name = start + offsetof(dirent64, d_name);
  record.name = std::string_view(name, ::strnlen(name, length - offsetof(dirent64, d_name)));
  return at + (length == 0 ? current_.size() - at : length);
}

}  // namespace kvo
