#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "state/form_state.h"
#include "state/problems.h"
#include "state/shell.h"

namespace kvo {

// The names of the loaded selection in record order: loaded mod folders top to bottom, then
// loaded skins, then (while the plane frame shows) installed alternative planes.
std::vector<std::string> loadedSelection(const FormState& state);

// What a replay of the record does with each name; a marker returns true when it matched.
struct ReplayMarkers {
  std::function<bool(const std::string&)> folder;
  std::function<bool(const std::string&)> skin;
  std::function<bool(const std::string&)> plane;
};

// FoldersLoaded.txt, the persisted selection: the one place that finds, writes and replays it.
class LoadRecord final {
 public:
  LoadRecord(FormState& state, Shell& shell) : state_(state), shell_(shell) {}

  // The record file in the letter case it has on disk.
  std::filesystem::path path() const;
  // Creates an empty record when there is none (first start).
  void createWhenMissing(Problems& problems);
  // The names the record holds, empty lines left out; a missing record holds none.
  std::vector<std::string> names(Problems& problems) const;
  // Marks the rows of every recorded name: all folders first, so that a flight-model folder
  // has filled the plane grid before its planes are looked up, then skins, then planes.
  // Returns the names that no marker matched.
  std::vector<std::string> replay(const std::vector<std::string>& names,
                                  const ReplayMarkers& markers);

  // Rewrites the record from the loaded marks of the three grids (nothing while GridReady is
  // False). Inside a Batch the write waits for the batch's end, so one action writes once.
  void RecordLoadedFolders();
  // The last write's failure, empty after a good write.
  const std::string& lastFailure() const { return lastFailure_; }

  // One user action: RecordLoadedFolders calls inside it write once, at its end, and a failed
  // write is reported then.
  class Batch final {
   public:
    explicit Batch(LoadRecord& record);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    LoadRecord& record_;
  };

  // How many times the file was written since start-up.
  int writes() const { return writes_; }

  // The record's text as the grids' marks give it now, one name per line.
  std::string selectionText() const;
  // Shows `text` as the loaded selection (Label8, Text2).
  void showSelection(const std::string& text);
  // Notes that a change wrote `text` as the record, and shows it.
  void written(const std::string& text) {
    showSelection(text);
    ++writes_;
  }

 private:
  void write();
  bool holdsSelection() const;

  FormState& state_;
  Shell& shell_;
  int batchDepth_ = 0;
  bool pending_ = false;
  int writes_ = 0;
  std::string lastFailure_;
};

}  // namespace kvo
