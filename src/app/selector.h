#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/game_settings.h"
#include "app/launcher.h"
#include "app/mod_installer.h"
#include "app/reset_all.h"
#include "engine/deployed_placements.h"
#include "engine/folder_engine.h"
#include "planes/alt_planes.h"
#include "planes/skin_panel.h"
#include "scripts/autoscripts.h"
#include "scripts/music_sets.h"
#include "scripts/packages.h"
#include "state/form_state.h"
#include "state/game_folder.h"
#include "state/load_record.h"
#include "state/problems.h"

namespace kvo {

class InstanceLock;

struct ScreenSize {
  int widthPixels = 1024;
  int heightPixels = 768;
};

// How start-up ended: ready, or refused (another selector or no lock, no game folder, a folder
// of the layout that is a link).
enum class StartupOutcome { Ready, DuplicateInstance, NoGameFolder, LinkedFolder };

// The composition root: the window's state and the subsystems that act on it, each handed
// only what it uses. The window and the command line build their pages and commands from it;
// the tests drive its subsystems directly.
class Selector final {
 public:
  explicit Selector(Shell& shell);
  ~Selector();
  Selector(const Selector&) = delete;
  Selector& operator=(const Selector&) = delete;

  // Runs the start-up sequence once for `gameDir`; tells the player in one message what it
  // could not do. A game folder that does not exist is refused untouched.
  StartupOutcome startUp(const std::filesystem::path& gameDir, ScreenSize screen = {});

  FormState state;
  Shell& shell;
  LoadRecord record;
  GameFolder game;
  DeployedPlacements placements;
  AltPlanes planes;
  FolderEngine engine;
  SkinPanel skins;
  GameSettings settings;
  Launcher launcher;
  MusicSets music;
  ResetAll reset;
  Autoscripts scripts;
  Packages packages;
  ModInstaller installer;

  // What start-up noticed without it being a fault: names in FoldersLoaded.txt that match no
  // folder any more. The window shows it in its status bar, the command line on stderr.
  const std::string& startupNote() const { return startupNote_; }

 private:
  void prepareFolderLayout(Problems& problems);
  void finishInterruptedChange();
  void listExecutables();
  void readCategoryTable(Problems& problems);
  void replayLoadRecord(Problems& problems);
  void loadPictures();
  void selectInitialFilters();
  std::unique_ptr<InstanceLock> lock_;
  std::string startupNote_;
};

// The texts that start-up shows for a second instance.
extern const char* const kDuplicateInstanceTitle;
extern const char* const kDuplicateInstanceText;

}  // namespace kvo
