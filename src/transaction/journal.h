#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The record a file transaction leaves in the selector folder while it changes files, so
// that a start after a crash can finish it. Plain 8-bit text with CR LF line ends:
//
//   KVO selector file transaction 1
//   id<TAB>0123456789abcdef
//   copy<TAB>must<TAB>old<TAB>eaw.ini<TAB>/games/eaw/KVO128/T-Burma/eaw.ini
//   link<TAB>must<TAB>new<TAB>burma.ter<TAB>/games/eaw/KVO128/T-Burma/burma.ter
//   delete<TAB>try<TAB>old<TAB>Savedata/a.sve
//   rename<TAB>must<TAB>new<TAB>Music<TAB>Music-1
//   write<TAB>must<TAB>old<TAB>KVO128/FoldersLoaded.txt<TAB>12<TAB>00ff00ff00ff00ff
//   folder<TAB>must<TAB>new<TAB>Savedata
//   end<TAB>5<TAB><hash of every byte before this line>
//   committed<TAB>0123456789abcdef
//
// Targets (and the old name of a rename) are below the game folder, with "/" between names;
// a copy's source is a full path. "old" says a file was at the target when the steps were
// checked, so it is set aside; "new" that there was none. A "link" is a copy whose new file
// is made as a hard link of its source where the disk allows, and else copied. The last line is
// added only when every step is done. Paths are written as bytes on Linux and as UTF-8 on Windows;
// "%", tab, CR, LF and other control bytes as "%" and two hex digits.
namespace kvo {

enum class StepKind { Copy, Remove, Rename, Replace, CreateFolder };

struct JournalStep {
  StepKind kind = StepKind::Copy;
  bool bestEffort = false;       // a failure is reported and the other steps go on
  bool targetExisted = false;    // something was at `target` when the steps were checked
  std::filesystem::path target;  // below the game folder
  // Copy: the file copied (full path); Rename: the old name. Held as text: a load names many
  // thousand sources, and a path keeps a list of its parts beside each.
  std::filesystem::path::string_type source;
  std::uint64_t size = 0;  // Replace: length of the new bytes
  std::uint64_t hash = 0;  // Replace: journalHash of the new bytes
  bool link = false;       // Copy: the new file is a hard link of the source if it can be
  bool operator==(const JournalStep&) const = default;
};

struct Journal {
  std::string id;  // 16 lower-case hex digits, part of every name the transaction makes
  std::vector<JournalStep> steps;
  bool operator==(const Journal&) const = default;
};

enum class JournalState {
  Unreadable,   // no transaction can be told from the bytes; nothing may be touched
  CutBeforeId,  // the writing stopped before the id was whole: no step was recorded or ran
  Truncated,    // the steps read so far, but no trustworthy end: the steps never began
  Complete,     // every step is recorded; they may have run in part
  Committed,    // every step ran; only the clean-up may be missing
};

struct JournalReading {
  JournalState state = JournalState::Unreadable;
  Journal journal;  // as much as could be read
};

// The journal's bytes up to and including its end line; nullopt when a path cannot be
// written in it.
std::optional<std::string> formatJournal(const Journal& journal);

// The line that marks every step of the transaction `id` as done.
std::string committedMark(std::string_view id);

// Reads a journal's bytes, any bytes; never throws and never reads outside them.
JournalReading readJournal(std::string_view bytes);

// FNV-1a over the bytes: the journal's own check, and how recovery tells written bytes.
std::uint64_t journalHash(std::string_view bytes);

// A fresh transaction id.
std::string newTransactionId();

// The name beside `target` under which step `index` keeps what was at `target` until the
// transaction ends, and the one under which it writes the new file before putting it in
// place. Both end in ".kvo-old" / ".kvo-new", which no game file and no pattern of the
// selector does, and carry the id, so they cannot clash with anything.
std::filesystem::path asidePath(const std::filesystem::path& target, std::string_view id,
                                std::size_t index);
std::filesystem::path newFilePath(const std::filesystem::path& target, std::string_view id,
                                  std::size_t index);

}  // namespace kvo
