#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/form_state.h"
#include "app/game_settings.h"
#include "app/launcher.h"
#include "app/shell.h"
#include "engine/folder_engine.h"
#include "engine/reset_all.h"
#include "planes/alt_planes.h"
#include "planes/skin_panel.h"
#include "scripts/music_sets.h"

namespace kvo {

class InstanceLock;

struct ScreenSize {
  int widthPixels = 1024;
  int heightPixels = 768;
};

enum class StartupOutcome { Ready, DuplicateInstance, NoGameFolder };

// The selector: the main window's state and the subsystems that act on it. The window, the
// command line and the tests all drive this one object.
class Selector final {
 public:
  explicit Selector(Shell& shell);
  ~Selector();
  Selector(const Selector&) = delete;
  Selector& operator=(const Selector&) = delete;

  // Runs the start-up sequence once for `gameDir`; tells the player in one message what it
  // had to ignore or could not do. A game folder that does not exist is refused untouched.
  StartupOutcome startUp(const std::filesystem::path& gameDir, ScreenSize screen = {});

  FormState state;
  Shell& shell;
  FolderEngine engine;
  SkinPanel skins;
  AltPlanes planes;
  GameSettings settings;
  Launcher launcher;
  MusicSets music;
  ResetAll reset;

 private:
  void prepareFolderLayout(std::vector<std::string>& problems);
  void listExecutables();
  void readCategoryTable(std::vector<std::string>& problems);
  void replayLoadRecord(std::vector<std::string>& problems);
  bool markLoadRecordLine(const std::string& line);
  void loadPictures();
  void selectInitialFilters();
  std::unique_ptr<InstanceLock> lock_;
};

// The texts that start-up shows for a second instance.
extern const char* const kDuplicateInstanceTitle;
extern const char* const kDuplicateInstanceText;

}  // namespace kvo
