#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "state/problems.h"
#include "state/shell.h"
#include "transaction/journal.h"

namespace kvo {

// The exit statuses of the kvo program.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDuplicate = 3;

// One file a change copied, deleted, renamed or wrote. Names below the game folder are
// relative to it with "\" between the parts; others are full paths.
struct ChangedFile {
  StepKind kind = StepKind::Copy;
  std::string file;       // the target: copied to, deleted, renamed to, written, created
  std::string from;       // the file copied, or a rename's old name
  bool replaced = false;  // a file was at the target already
};

// A loaded mark of a grid row that a change set ("S") or cleared.
struct ChangedMark {
  std::string grid;  // "Unigrid", "SK1" or "G1"
  std::string name;  // the row's folder name
  bool loaded = false;
};

// What one change did to the files and the grids, or, planned, what it would do.
struct Changes {
  std::vector<ChangedFile> files;
  std::vector<ChangedMark> marks;

  bool empty() const { return files.empty() && marks.empty(); }
  // How many files the change touched in that way.
  std::size_t count(StepKind kind) const;
  // "2 copied, 1 deleted, 3 written", or "no file changed".
  std::string counts() const;
  // One line per file step (folders made go without one), then one per mark:
  // copy<TAB>FILE<TAB>FROM, delete<TAB>FILE, rename<TAB>FROM<TAB>TO, write<TAB>FILE,
  // mark<TAB>GRID<TAB>NAME<TAB>S|-.
  std::vector<std::string> lines() const;
  // The names of the rows the change marked loaded, or unloaded, in grid order.
  std::vector<std::string> loaded() const;
  std::vector<std::string> unloaded() const;
};

// What one operation did, for the person and for the tests: the files and marks it changed,
// the one sentence when it was refused or undone, and what it passed over. A dry run gives
// the same with `planned` set and nothing changed.
struct Outcome {
  std::string action;  // what the player asked for ("click T-Normandy"), for the history
  std::string done;    // one sentence for the status line; "" says nothing new
  Changes changes;
  bool planned = false;  // a dry run: `changes` is what the change would do
  std::string failure;   // why nothing changed; "" when done
  Icon icon = Icon::Critical;
  std::string title = "KVO";
  Problems passedOver;            // best-effort steps that failed (an unload deletes what it can)
  std::string passedOverHeading;  // the line above them in the message
  std::string notice;             // something to know that is no failure (an information box)
  bool awaitsAnswer = false;      // the window asks in a prompt of its own instead of a box

  bool ok() const { return failure.empty(); }
  // kExitFailed after a failure or a step passed over, else kExitDone.
  int exitStatus() const;
  // An outcome that refused `action` with `why`, under `icon` and `title`.
  static Outcome refused(std::string action, std::string why, Icon icon = Icon::Critical,
                         std::string title = "KVO");
};

// "Unloaded a. Loaded b, c." for the folders, skins and planes a change unloaded and loaded;
// "" when it changed no mark.
std::string selectionSentence(const Changes& changes);

// "a, b, c" for a few names and "and N more" beyond them.
std::string nameList(const std::vector<std::string>& names, std::size_t shown = 4);

// Shows an outcome to the person: its sentence on the status line, a failure or what it passed
// over in one message box, a notice in an information box. Returns the exit status.
int report(const Outcome& outcome, Shell& shell);

}  // namespace kvo
