#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kvo {

struct RecoveryResult {
  bool found = false;  // a journal was there
  // For the player: one sentence on what was done, then one line per problem. Empty when
  // there was no journal.
  std::string message;
  std::vector<std::string> problems;
};

// Finishes a file transaction that a crash interrupted, before anything else changes the
// game folder `root` (and before the load record is replayed):
// - no journal: nothing to do, nothing touched;
// - committed: the steps all ran; what they set aside is removed ("finished");
// - complete but not committed: each step is undone, last first ("put back"). A new file is
//   removed only when its bytes prove it is the transaction's own (equal to the copy's
//   source, or to the length and hash of the bytes written);
// - cut short: the steps never began; only files carrying the transaction's id are touched,
//   and a set-aside file returns only where nothing has taken its place;
// - cut before its id was written: no step began; only the journal goes;
// - unreadable: nothing is touched, the journal is kept beside as "<name>.unreadable".
// The journal is removed at the end, unless something could not be put back.
RecoveryResult recoverInterruptedTransaction(const std::filesystem::path& root,
                                             const std::filesystem::path& journalFile);

}  // namespace kvo
