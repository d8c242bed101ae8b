#include "platform/listing.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ratio>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "platform/directory_records.h"
#endif

namespace kvo {
namespace fs = std::filesystem;

namespace {

char upperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// What follows a pattern's last star must end the name, whatever the stars before took.
// Asked first, it turns most names of a big folder away at once ("*.exe" over a game folder
// of 20,000 files at every start) instead of walking each name.
bool endFits(std::string_view pattern, std::string_view name) {
  const auto star = pattern.rfind('*');
  if (star == std::string_view::npos) return true;
  const auto tail = pattern.substr(star + 1);
  if (tail.size() > name.size()) return false;
  return std::equal(tail.begin(), tail.end(), name.end() - static_cast<std::ptrdiff_t>(tail.size()),
                    [](char p, char n) { return p == '?' || upperAscii(p) == upperAscii(n); });
}

// Matches without the "*.*" rule; "*" backtracks to the last star only, which is enough for
// wildcard patterns and keeps the match linear in practice.
bool plainWildcardMatch(std::string_view pattern, std::string_view name) {
  if (!endFits(pattern, name)) return false;
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || upperAscii(pattern[p]) == upperAscii(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

#ifdef _WIN32
// The bare name of a directory entry as 8-bit text; false when the name has characters the
// 8-bit code page cannot hold (no game file can refer to such a name).
bool entryName(const fs::path& path, std::string& out) {
  const std::wstring wide = path.filename().wstring();
  if (wide.empty()) return false;
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                       static_cast<int>(wide.size()), nullptr, 0, nullptr, &lossy);
  if (size <= 0 || lossy) return false;
  out.assign(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                      out.data(), size, nullptr, nullptr);
  return true;
}

// The hidden file list of the old window showed neither hidden nor system files.
bool hiddenOrSystem(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}
#endif

enum class EntryKind { File, Folder, Any };

#ifdef _WIN32
// Calls `visit(name, isFile, isFolder)` for each entry of `dir`, symbolic links followed.
template <typename Visit>
void forEachEntry(const fs::path& dir, std::error_code& ec, Visit visit) {
  ec.clear();
  fs::directory_iterator it(dir, ec);
  if (ec) return;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return;
    std::string name;
    if (!entryName(it->path(), name)) continue;
    std::error_code kindEc;
    const bool isFolder = it->is_directory(kindEc);
    const bool isFile = !isFolder && it->is_regular_file(kindEc) && !hiddenOrSystem(it->path());
    visit(std::string_view(name), isFile, isFolder);
  }
}
#else
// Calls `visit(name, isFile, isFolder)` for each entry of `dir`, symbolic links followed.
// Game folders hold tens of thousands of files: the entry types come from the listing itself,
// and only links and file systems that do not say cost a stat.
template <typename Visit>
void forEachEntry(const fs::path& dir, std::error_code& ec, Visit visit) {
  DirectoryRecords records(dir, ec);
  if (ec) return;
  const auto onRecord = [&](const DirectoryRecord& record) {
    const auto name = record.name;
    if (name.empty() || name == "." || name == "..") return;
    unsigned char type = record.type;
    if (type == DT_LNK || type == DT_UNKNOWN) {
      struct stat info {};
      type = ::fstatat(records.handle(), name.data(), &info, 0) != 0 ? DT_UNKNOWN
             : S_ISDIR(info.st_mode)                                 ? DT_DIR
             : S_ISREG(info.st_mode)                                 ? DT_REG
                                                                     : DT_UNKNOWN;
    }
    visit(name, type == DT_REG, type == DT_DIR);
  };
  while (records.nextBlock(ec, onRecord)) {
  }
}
#endif

// Names of the entries of `dir` of one kind (symbolic links followed), unsorted.
template <typename Accept>
std::vector<std::string> collectNames(const fs::path& dir, EntryKind kind, Accept accept,
                                      std::error_code& ec) {
  std::vector<std::string> names;
  forEachEntry(dir, ec, [&](std::string_view name, bool isFile, bool isFolder) {
    if (kind == EntryKind::File && !isFile) return;
    if (kind == EntryKind::Folder && !isFolder) return;
    if (accept(name)) names.emplace_back(name);
  });
  if (ec) return {};
  return names;
}

void sortNoCase(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return lessNoCase(a, b); });
}

}  // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name) {
  if (plainWildcardMatch(pattern, name)) return true;
  // As on Windows, a trailing ".*" also matches a name without any extension: "*.*" matches
  // every name and "readme.*" matches "readme".
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return plainWildcardMatch(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

bool matchesAnyPattern(std::string_view patternList, std::string_view name) {
  return PatternList(patternList).matches(name);
}

PatternList::PatternList(std::string_view patternList) {
  while (true) {
    const std::size_t semicolon = patternList.find(';');
    const std::string_view pattern = trimBlanks(patternList.substr(0, semicolon));
    if (!pattern.empty()) patterns_.emplace_back(pattern);
    if (semicolon == std::string_view::npos) break;
    patternList.remove_prefix(semicolon + 1);
  }
}

bool PatternList::matches(std::string_view name) const {
  return std::any_of(patterns_.begin(), patterns_.end(),
                     [name](const std::string& pattern) { return wildcardMatch(pattern, name); });
}

std::vector<std::string> listFiles(const fs::path& dir, std::string_view patterns,
                                   std::error_code& ec) {
  const PatternList list(patterns);
  auto names = collectNames(
      dir, EntryKind::File, [&list](std::string_view name) { return list.matches(name); }, ec);
  sortNoCase(names);
  return names;
}

std::vector<std::string> listFiles(const fs::path& dir, std::string_view patterns) {
  std::error_code ec;
  return listFiles(dir, patterns, ec);
}

std::vector<std::string> listFolders(const fs::path& dir, std::error_code& ec) {
  auto names = collectNames(
      dir, EntryKind::Folder, [](std::string_view) { return true; }, ec);
  sortNoCase(names);
  return names;
}

std::vector<std::string> listFolders(const fs::path& dir) {
  std::error_code ec;
  return listFolders(dir, ec);
}

bool lessNoCase(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto ca = static_cast<unsigned char>(upperAscii(a[i]));
    const auto cb = static_cast<unsigned char>(upperAscii(b[i]));
    if (ca != cb) return ca < cb;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  // Names equal without regard to case still get one fixed order.
  return a < b;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  }
  return true;
}

std::string toUpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = upperAscii(c);
  return upper;
}

#ifdef _WIN32
// Windows itself ignores case; asking it gives the entry's real spelling, which a rewrite
// must keep (EAW.INI stays EAW.INI). A match through an 8.3 short name does not count.
std::optional<fs::path> findNoCase(const fs::path& dir, std::string_view name) {
  if (name.empty() || name.find_first_of("*?") != std::string_view::npos) return std::nullopt;
  const fs::path asked = nameToPath(name);
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW((dir / asked).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(search);
  const std::wstring& wanted = asked.native();
  if (CompareStringOrdinal(found.cFileName, -1, wanted.c_str(), static_cast<int>(wanted.size()),
                           TRUE) != CSTR_EQUAL) {
    return std::nullopt;
  }
  return dir / found.cFileName;
}
#else
std::optional<fs::path> findNoCase(const fs::path& dir, std::string_view name) {
  if (name.empty()) return std::nullopt;
  std::error_code ec;
  const fs::path exact = dir / nameToPath(name);
  if (fs::exists(fs::symlink_status(exact, ec))) return exact;
  const FolderIndex index(dir);
  if (auto found = index.find(name)) return dir / nameToPath(*found);
  return std::nullopt;
}
#endif

fs::path resolveNoCase(const fs::path& dir, std::string_view name) {
  if (auto found = findNoCase(dir, name)) return *found;
  return dir / nameToPath(name);
}

namespace {

fs::file_time_type folderTime(const fs::path& dir) {
#ifdef _WIN32
  // MinGW's last_write_time goes through _wstat, whose whole seconds miss a change made in
  // the same second as the listing; the system's own time counts in 100 ns.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(dir.c_str(), GetFileExInfoStandard, &data)) return {};
  const auto ticks = (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                     data.ftLastWriteTime.dwLowDateTime;
  using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
  return fs::file_time_type(std::chrono::duration_cast<fs::file_time_type::duration>(Ticks(ticks)));
#else
  std::error_code ec;
  const auto time = fs::last_write_time(dir, ec);
  return ec ? fs::file_time_type{} : time;
#endif
}

std::size_t hashNoCase(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const char c : text) {
    hash = (hash ^ static_cast<unsigned char>(upperAscii(c))) * 1099511628211ull;
  }
  return static_cast<std::size_t>(hash ^ (hash >> 32));
}

}  // namespace

FolderIndex::FolderIndex(const fs::path& dir) : dir_(dir), listedAt_(folderTime(dir)) {
  entries_.reserve(1024);
  names_.reserve(16 * 1024);
  forEachEntry(dir, error_, [this](std::string_view name, bool isFile, bool isFolder) {
    add(name, isFile, isFolder);
  });
  if (error_) {
    entries_.clear();
    names_.clear();
    return;
  }
  placeAll();
}

void FolderIndex::add(std::string_view name, bool isFile, bool isFolder) {
  entries_.push_back(Entry{static_cast<std::uint32_t>(names_.size()),
                           static_cast<std::uint32_t>(name.size()), hashNoCase(name), isFile,
                           isFolder});
  names_.append(name);
}

void FolderIndex::placeAll() {
  std::size_t size = 16;
  while (size < 2 * entries_.size()) size *= 2;
  slots_.assign(size, 0);
  for (std::uint32_t i = 0; i < entries_.size(); ++i) place(i);
}

void FolderIndex::place(std::uint32_t index) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = entries_[index].hash & mask;
  while (slots_[slot] != 0) slot = (slot + 1) & mask;
  slots_[slot] = index + 1;
}

template <typename Visit>
void FolderIndex::forEachMatch(std::string_view name, Visit visit) const {
  if (slots_.empty()) return;
  const std::size_t hash = hashNoCase(name);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
    const Entry& entry = entries_[slots_[slot] - 1];
    if (entry.hash == hash && equalsNoCase(nameOf(entry), name)) visit(entry);
  }
}

std::optional<std::string> FolderIndex::find(std::string_view name) const {
  if (name.empty()) return std::nullopt;
  const Entry* best = nullptr;
  bool exact = false;
  forEachMatch(name, [&](const Entry& entry) {
    if (exact) return;
    exact = nameOf(entry) == name;
    // Which spelling answers must not depend on the order the folder happens to list.
    if (exact || best == nullptr || nameOf(entry) < nameOf(*best)) best = &entry;
  });
  if (best == nullptr) return std::nullopt;
  return std::string(nameOf(*best));
}

std::optional<std::string> FolderIndex::onlyFile(std::string_view name) const {
  std::optional<std::string> found;
  int files = 0;
  forEachMatch(name, [&](const Entry& entry) {
    if (!entry.isFile) return;
    if (++files == 1) found = std::string(nameOf(entry));
  });
  if (files != 1) return std::nullopt;
  return found;
}

std::vector<std::string> FolderIndex::filesNamed(std::string_view name) const {
  std::vector<std::string> names;
  forEachMatch(name, [&](const Entry& entry) {
    if (entry.isFile) names.emplace_back(nameOf(entry));
  });
  sortNoCase(names);
  return names;
}

std::optional<fs::path> FolderIndex::findPath(std::string_view name) const {
  if (auto found = find(name)) return dir_ / nameToPath(*found);
  return std::nullopt;
}

fs::path FolderIndex::resolve(std::string_view name) const {
  return dir_ / nameToPath(find(name).value_or(std::string(name)));
}

std::vector<std::string> FolderIndex::files(std::string_view patterns) const {
  const PatternList list(patterns);
  std::vector<std::string> names;
  for (const auto& entry : entries_) {
    if (entry.isFile && list.matches(nameOf(entry))) names.emplace_back(nameOf(entry));
  }
  sortNoCase(names);
  return names;
}

std::vector<std::string> FolderIndex::folders() const {
  std::vector<std::string> names;
  for (const auto& entry : entries_) {
    if (entry.isFolder) names.emplace_back(nameOf(entry));
  }
  sortNoCase(names);
  return names;
}

void FolderIndex::insertFolder(std::string_view name) {
  if (find(name) == name) return;
  add(name, false, true);
  if (2 * entries_.size() > slots_.size()) {
    placeAll();
  } else {
    place(static_cast<std::uint32_t>(entries_.size() - 1));
  }
  listedAt_ = folderTime(dir_);
}

bool FolderIndex::stale() const {
  return folderTime(dir_) != listedAt_;
}

PathText joinedText(const fs::path& dir, std::string_view name) {
  PathText text = dir.native();
  if (!text.empty() && text.back() != fs::path::preferred_separator && text.back() != '/') {
    text += fs::path::preferred_separator;
  }
  text += nameToPath(name).native();
  return text;
}

fs::path nameToPath(std::string_view name) {
#ifdef _WIN32
  if (name.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) {
    MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(), size);
  }
  return fs::path(wide);
#else
  return fs::path(std::string(name));
#endif
}

std::string pathToText(const fs::path& path) {
#ifdef _WIN32
  const std::wstring& wide = path.native();
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  }
  return text;
#else
  return path.string();
#endif
}

bool fileExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool folderExists(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

}  // namespace kvo
