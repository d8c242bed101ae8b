#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "state/form_state.h"
#include "state/problems.h"
#include "transaction/transaction.h"

namespace kvo {

class GameChange;

// The names of the loaded selection in record order: loaded mod folders top to bottom, then
// loaded skins, then (while the plane frame shows) installed alternative planes.
std::vector<std::string> loadedSelection(const FormState& state);

// What a replay of the record does with each name; a marker returns true when it matched.
struct ReplayMarkers {
  std::function<bool(const std::string&)> folder;
  std::function<bool(const std::string&)> skin;
  std::function<bool(const std::string&)> plane;
};

// FoldersLoaded.txt, the persisted selection: the one place that finds, plans and replays it.
class LoadRecord final {
 public:
  explicit LoadRecord(FormState& state) : state_(state) {}

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

  // Plans the record as the grids' loaded marks give it now into `change`, unless the file
  // holds that already (nothing while GridReady is False). The selection shows once the
  // change is made.
  void RecordLoadedFolders(GameChange& change) const;
  // Plans the record empty (0 bytes), each failure passed over (Reset All).
  void clear(GameChange& change) const;

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
  void plan(GameChange& change, std::string shown, std::string bytes, StepPolicy policy) const;

  FormState& state_;
  int writes_ = 0;
};

}  // namespace kvo
