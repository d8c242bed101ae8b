#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "state/form_state.h"
#include "state/game_change.h"
#include "state/game_folder.h"
#include "state/load_record.h"
#include "state/outcome.h"

namespace kvo {

class AltPlanes;
class FolderEngine;
class SkinPanel;

// Autoscripts: saving the loaded selection under a name, previewing a saved script and
// replaying it through the grids' own click actions, as one change.
class Autoscripts final {
 public:
  Autoscripts(FormState& state, GameFolder& game, LoadRecord& record, FolderEngine& engine,
              SkinPanel& skins, AltPlanes& planes)
      : state_(state),
        game_(game),
        record_(record),
        engine_(engine),
        skins_(skins),
        planes_(planes) {}

  // The Autoscripts folder in the letter case it has on disk.
  std::filesystem::path scriptsDir() const;
  // Lists the Autoscripts folder into `GUPC` ("*.set") and `File10` (every file), keeping
  // the selected names selected.
  void refreshScriptLists();

  // "Save Autoscript": writes `text` as the script `name` + ".set". When a script of that name
  // exists in any letter case and `overwrite` is false, nothing is written and the overwrite
  // prompt `SetWarn` shows (the outcome awaits the answer).
  Outcome SaveAutoscript(const std::string& name, const std::string& text, bool overwrite);
  // A choice in `SetWarn`: 0 "Overwrite" writes `text` as `name` + ".set", 1 "Cancel" writes
  // nothing; both hide the prompt.
  Outcome OverwritePrompt(int index, const std::string& name, const std::string& text);

  // Reads the script `file` of the Autoscripts folder into `List2` (a click on `File10`) and,
  // `withPlan`, shows in `ScriptPlan` what replaying it would change (a command that replays
  // it at once has no use for that).
  Outcome PreviewAutoscript(const std::string& file, bool withPlan = true);
  // "OK load it!": replays `entries` (those `List2` shows) and records the selection, as one
  // change; nothing at all for no entries.
  Outcome RunAutoscript(const std::vector<std::string>& entries);
  // "OK load it!" in the window: reads the script `file` again into `List2`, so that the replay
  // runs what the file holds now, then RunAutoscript; nothing for no file.
  Outcome RunAutoscriptFile(const std::string& file);
  // Replays `entries` in order against the folder, skin and plane grids, loading every match
  // that is not loaded yet, and records the selection: one change, all of it or none, whose
  // failure names the entry at fault. `action` names the change; `planFirst` plans what goes
  // before the entries in the same change (Reset All before a package).
  Outcome ApplySet(std::span<const std::string> entries, std::string action,
                   const std::function<void(GameChange&)>& planFirst = {});
  // Plans the replay of `entries` into `change`, each entry seeing what the ones before it
  // will have done (a flight model's load fills the plane grid before its planes are looked
  // up), and marks the rows. Why an entry cannot be applied, naming it, or "".
  std::string planSet(std::span<const std::string> entries, GameChange& change);

 private:
  std::string applyFolders(const std::string& key, GameChange& change);
  std::string applySkins(const std::string& key, GameChange& change);
  std::string applyPlanes(const std::string& key, GameChange& change);
  std::string nameProblem(const std::string& fileName) const;

  FormState& state_;
  GameFolder& game_;
  LoadRecord& record_;
  FolderEngine& engine_;
  SkinPanel& skins_;
  AltPlanes& planes_;
};

// One or two sentences for a preview: how many folders, skins and planes loading a set
// unloads and loads, and which game files it replaces; or why it cannot be loaded.
std::string setPlanSummary(const Outcome& plan);

}  // namespace kvo
