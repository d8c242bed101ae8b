#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace kvo {

// True when `name` matches one wildcard pattern ("*" any run, "?" one character), ignoring
// ASCII letter case as Windows does.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// True when `name` matches any pattern of a ";"-separated list ("mypic;skinpic;*.jpg").
// A pattern "*.*" matches every name, also one without a dot, as on Windows.
bool matchesAnyPattern(std::string_view patternList, std::string_view name);

// Patterns of a ";"-separated list split once, so that many names can be matched cheaply.
class PatternList final {
 public:
  explicit PatternList(std::string_view patternList);
  bool matches(std::string_view name) const;

 private:
  std::vector<std::string> patterns_;
};

// Bare names of the regular files in `dir` that match the pattern list, sorted by name
// without regard to case. A missing or unreadable folder gives an empty list and sets `ec`.
std::vector<std::string> listFiles(const std::filesystem::path& dir, std::string_view patterns,
                                   std::error_code& ec);
std::vector<std::string> listFiles(const std::filesystem::path& dir, std::string_view patterns);

// Bare names of the subfolders of `dir`, sorted by name without regard to case.
std::vector<std::string> listFolders(const std::filesystem::path& dir, std::error_code& ec);
std::vector<std::string> listFolders(const std::filesystem::path& dir);

// Compares two names as the listings sort them: ASCII case folded, then byte order.
bool lessNoCase(std::string_view a, std::string_view b);
bool equalsNoCase(std::string_view a, std::string_view b);
std::string toUpperAscii(std::string_view text);

// The entry of `dir` whose name equals `name` without regard to case, preferring an exact
// match; nullopt when there is none. Wine game folders hold EAW.INI as often as eaw.ini.
std::optional<std::filesystem::path> findNoCase(const std::filesystem::path& dir,
                                                std::string_view name);

// `dir` / the existing entry named `name` in any letter case, or `dir` / `name` when none
// exists yet (so that a new file gets exactly the name asked for).
std::filesystem::path resolveNoCase(const std::filesystem::path& dir, std::string_view name);

// One listing of a folder, kept for the whole of an operation: its entries by upper-cased
// name, for looking up many names (and the file and folder lists) without listing the folder
// again. Changes the operation makes are noted with insert and erase.
class FolderIndex final {
 public:
  explicit FolderIndex(const std::filesystem::path& dir);
  // The actual entry name for `name` in any letter case (an exact match first), or nullopt.
  std::optional<std::string> find(std::string_view name) const;
  // find() as a path in the folder.
  std::optional<std::filesystem::path> findPath(std::string_view name) const;
  // The folder / the existing entry named `name` in any letter case, or / `name` itself.
  std::filesystem::path resolve(std::string_view name) const;
  // The regular files matching the pattern list and the subfolders, sorted as listFiles does.
  std::vector<std::string> files(std::string_view patterns) const;
  std::vector<std::string> folders() const;
  // The folder's one regular file named `name` in any letter case; nullopt when none or two
  // or more answer to it (a case-sensitive folder may hold both spellings).
  std::optional<std::string> onlyFile(std::string_view name) const;
  // Every regular file named `name` in any letter case, sorted.
  std::vector<std::string> filesNamed(std::string_view name) const;
  // True when the folder changed since it was listed, so that the listing no longer tells
  // the truth.
  bool stale() const;
  // Notes a folder the operation created, so that the listing keeps telling the truth.
  void insertFolder(std::string_view name);
  const std::filesystem::path& dir() const { return dir_; }
  // Why the folder could not be listed; empty when it could.
  const std::error_code& error() const { return error_; }

 private:
  struct Entry {
    std::uint32_t offset = 0;  // of the name in names_
    std::uint32_t size = 0;
    std::size_t hash = 0;  // of the name without regard to case
    bool isFile = false;
    bool isFolder = false;
  };
  std::string_view nameOf(const Entry& entry) const {
    return std::string_view(names_).substr(entry.offset, entry.size);
  }
  void add(std::string_view name, bool isFile, bool isFolder);
  void place(std::uint32_t index);
  void placeAll();
  template <typename Visit>
  void forEachMatch(std::string_view name, Visit visit) const;

  std::filesystem::path dir_;
  // Tens of thousands of names in one block and a table of their places: a node or a string
  // for each name costs more than the listing itself.
  std::string names_;
  std::vector<Entry> entries_;
  std::vector<std::uint32_t> slots_;  // entry index + 1 by hash, linear probing; 0 is free
  std::error_code error_;
  std::filesystem::file_time_type listedAt_{};
};

// A path held as its text alone: a std::filesystem::path keeps a list of its parts beside
// the text, which for a change of many thousand files costs several times the names.
using PathText = std::filesystem::path::string_type;

// (dir / nameToPath(name)).native() without taking either apart: a load works out two of
// these for each of many thousand files.
PathText joinedText(const std::filesystem::path& dir, std::string_view name);

// A bare 8-bit name (as the listings give it), or a whole path held as 8-bit text, as a
// path: the bytes themselves on Linux, the system's 8-bit code page converted on Windows.
std::filesystem::path nameToPath(std::string_view name);

// A path as 8-bit text in the same encoding, the inverse of nameToPath. Grid cells and labels
// hold paths this way; path::string() would not do, since MinGW's gives UTF-8 and its
// path(std::string) reads Latin-1, so a non-ASCII folder would not survive the round trip.
std::string pathToText(const std::filesystem::path& path);

// True when `path` is a regular file (or a folder), following symbolic links.
bool fileExists(const std::filesystem::path& path);
bool folderExists(const std::filesystem::path& path);

}  // namespace kvo
