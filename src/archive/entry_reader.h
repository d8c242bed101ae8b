#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// What an add-on comes in, read entry by entry: an archive, or a folder the player drops.
// Both feed the same plan and the same unpacking.
namespace kvo {

enum class EntryType { File, Folder, Link, Other };

// What the source says of one entry before its bytes are read.
struct EntryHeader {
  std::optional<std::string> name;  // UTF-8, "/" between folders; nullopt when not text
  EntryType type = EntryType::File;
  std::optional<std::uint64_t> size;  // as the source claims it
  bool encrypted = false;
};

// The entries of one source in a fixed order, each header followed by its bytes on demand.
// Use it on one thread only.
class EntryReader {
 public:
  virtual ~EntryReader() = default;

  // Reads the next entry's header; false at the end and after a failure.
  virtual bool next(EntryHeader& header) = 0;
  // Hands the current entry's bytes in order to `sink`, until the entry ends or `sink`
  // returns false. False after a failure.
  virtual bool readData(const std::function<bool(std::string_view bytes)>& sink) = 0;
  // The size of the source itself, which the unpacked size is measured against; complete
  // once next() has returned false.
  virtual std::uint64_t sourceBytes() const = 0;

  bool failed() const { return !failure_.empty(); }
  // One sentence naming the source (or its file) and the reason.
  const std::string& failure() const { return failure_; }

 protected:
  std::string failure_;
};

// A reader of `source`: a folder's own entries when it is a folder, else an archive's.
std::unique_ptr<EntryReader> openEntryReader(const std::filesystem::path& source);

// True when `source` is read as a folder rather than as an archive.
bool isFolderSource(const std::filesystem::path& source);

}  // namespace kvo
