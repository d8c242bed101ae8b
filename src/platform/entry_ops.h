#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// Single calls on one folder entry, the bricks of every change the selector makes. None of
// them follows a link at the entry itself: a link is renamed, replaced or removed as the link
// it is, never the file it points to. (Links on the way to the entry are path_guard.h's job.)
namespace kvo {

enum class EntryKind { None, File, Folder, Link, Other };

// What the entry itself is; None when there is nothing of that name. On Windows symbolic
// links and junctions count as links, other reparse points (cloud files) as what they hold.
EntryKind entryKind(const std::filesystem::path& path, std::error_code& ec);

// What one look at an entry tells beyond its kind, so that a change of many thousand files
// asks the system once for each. Both flags are true only when the look proves them; false
// means "ask": readable by us (our own file with the owner's read bit), and carrying no mark
// that clearReadOnly would clear.
struct EntryFacts {
  EntryKind kind = EntryKind::None;
  bool surelyReadable = false;
  bool nothingToClear = false;
};
// The path is taken as text, so that asking of many thousand paths does not take each apart.
EntryFacts entryFacts(const std::filesystem::path::string_type& path, std::error_code& ec);

// Asks entryFacts of many paths in turn, most of them in the same few folders: each entry is
// looked up from its folder, kept open while the paths stay in it, rather than along its whole
// path. The answers are entryFacts' own. One prober serves one thread.
class EntryProber final {
 public:
  EntryProber() = default;
  ~EntryProber();
  EntryProber(const EntryProber&) = delete;
  EntryProber& operator=(const EntryProber&) = delete;

  EntryFacts facts(const std::filesystem::path::string_type& path, std::error_code& ec);

 private:
  std::filesystem::path::string_type folder_;
  int folderHandle_ = -1;
};

// Copies the regular file `from` to `to`, which must not exist yet. A link at either end
// is refused. The copy gets the source's permissions with owner write added.
std::error_code copyToNewFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Copies the regular file `from` to the free name `to`, where the copy appears only whole: it
// is written without a name and then named in one call. file_exists when something took the
// name meanwhile; operation_not_supported where the file system cannot hold a nameless file,
// and the caller copies to a name of its own and renames that instead.
std::error_code copyIntoFreeName(const std::filesystem::path& from,
                                 const std::filesystem::path& to);

// Makes `to` (which must not exist yet) a second name of the regular file `from`, which then
// holds the same bytes without taking room twice. A link at either end is refused, and so is
// a read-only `from` (on Windows also a hidden or system one): its marks would be the loaded
// file's too, and clearing one clears both.
// Any error says only that no link was made; a copy may still succeed.
std::error_code linkToNewFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Creates `to` (which must not exist yet) holding `bytes`, with the permissions of the
// regular file `modeOf` plus owner write when there is one, else the usual ones.
std::error_code writeNewFile(const std::filesystem::path& to, std::string_view bytes,
                             const std::filesystem::path& modeOf);

// Renames the entry itself; file_exists when something is at `to` already.
std::error_code renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// Renames the entry itself over the file or link at `to` in one step; when the two are names
// of one file (hard links), `from` goes and `to` stays.
std::error_code renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes a file or a link itself, also a read-only one; no_such_file_or_directory when
// nothing is there, is_a_directory for a folder.
std::error_code unlinkEntry(const std::filesystem::path& path);

// Creates one folder whose parent exists; file_exists when something is there already.
std::error_code makeOneFolder(const std::filesystem::path& path);

// Removes an empty folder (not a link to one).
std::error_code removeEmptyFolder(const std::filesystem::path& path);

// Clears read-only (on Windows also hidden, system and archive) on the file or folder itself;
// a link is refused with too_many_symbolic_link_levels and a read-only file with more than one
// hard link with Refusal::SharedByHardLink, so nothing outside changes mode.
std::error_code clearReadOnly(const std::filesystem::path& path);

// True when the regular file `path` itself carries a read-only mark (no owner write; on
// Windows the read-only attribute); false for anything else and when it cannot be told.
bool hasReadOnlyMark(const std::filesystem::path& path);

// Gives the new file `fresh` the read-only mark that the regular file `original` carries (on
// Linux its mode exactly, on Windows the read-only attribute); nothing when it carries none.
std::error_code copyReadOnlyMark(const std::filesystem::path& original,
                                 const std::filesystem::path& fresh);

// Why new entries cannot be made in `dir`, or no error when they probably can.
std::error_code folderAcceptsWrites(const std::filesystem::path& dir);

// Why the file cannot be opened for reading, or no error.
std::error_code fileReadable(const std::filesystem::path& file);

// Creates `file` (which must not exist yet, and not through a link) holding `bytes`, and
// waits until the bytes and the folder entry are on the disk.
std::error_code writeNewFileDurably(const std::filesystem::path& file, std::string_view bytes);

// Appends `bytes` to the existing file (not a link) and waits until they are on the disk.
// After a failure the file is cut back to its old length, as far as the system lets it.
std::error_code appendDurably(const std::filesystem::path& file, std::string_view bytes);

// Waits until everything written to the disk that holds `path` is on it, where the system
// offers that in one call; a quiet no-op elsewhere.
void flushDiskOf(const std::filesystem::path& path);

// A text equal for two paths exactly when the system takes them as the same name (the path
// itself on Linux, upper-cased on Windows). Both paths must be spelled alike otherwise.
std::string pathKey(const std::filesystem::path& path);

#ifndef _WIN32
// True when `text` is a path that lexical normalisation would leave as it is: no empty, "."
// or ".." parts and no trailing separator.
bool isLexicallyNormal(const std::string& text);
#endif

// The path as text for the transaction journal (its bytes on Linux, UTF-8 on Windows);
// false when it cannot be written as such.
bool pathToJournalText(const std::filesystem::path& path, std::string& text);

// The inverse of pathToJournalText; nullopt when the text is no such path.
std::optional<std::filesystem::path> pathFromJournalText(std::string_view text);

// The player's words for a failure of this system's own error codes, or nullopt.
std::optional<std::string> systemReason(const std::error_code& ec);

// The number of this process, for names no other process picks.
unsigned long processNumber();

}  // namespace kvo
