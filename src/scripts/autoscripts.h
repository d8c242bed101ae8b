#pragma once

#include <filesystem>
#include <span>
#include <string>

namespace kvo {

class AltPlanes;
class Core;
class FolderEngine;
class SkinPanel;
struct ListBox;

// Autoscripts: saving the loaded selection under a name, previewing a saved script and
// replaying it through the grids' own click actions.
class Autoscripts final {
 public:
  Autoscripts(Core& core, FolderEngine& engine, SkinPanel& skins, AltPlanes& planes)
      : s_(core), engine_(engine), skins_(skins), planes_(planes) {}

  // The Autoscripts folder in the letter case it has on disk.
  std::filesystem::path scriptsDir() const;
  // Lists the Autoscripts folder into `GUPC` ("*.set") and `File10` (every file), keeping
  // the selected names selected.
  void refreshScriptLists();

  // "Save Autoscript": writes `Text2` as `Text1` + ".set", or shows `SetWarn` when a script
  // of that name exists in any letter case.
  void SaveAutoscript();
  // A choice in `SetWarn`: 0 "Overwrite" writes the script, 1 "Cancel" writes nothing.
  void OverwritePrompt(int index);

  // Reads the script selected in `File10` into `List2` (a click on `File10`).
  void PreviewAutoscript();
  // "OK load it!": replays `List2`, then records the selection once.
  void RunAutoscript();
  // Replays `entries` in order against the folder, skin and plane grids, loading every
  // match that is not loaded yet. Stops at a folder that could not be loaded (its own
  // message has told the player why); false then.
  bool ApplySet(std::span<const std::string> entries);

 private:
  void WriteScript();
  bool nameUsable(const std::string& fileName);
  bool applyFolders(const std::string& key);
  void applySkins(const std::string& key);
  void applyPlanes(const std::string& key);

  Core& s_;
  FolderEngine& engine_;
  SkinPanel& skins_;
  AltPlanes& planes_;
};

}  // namespace kvo
