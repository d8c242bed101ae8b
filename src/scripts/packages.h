#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "state/form_state.h"
#include "state/game_change.h"
#include "state/game_folder.h"
#include "state/outcome.h"
#include "state/shell.h"

namespace kvo {

class Autoscripts;

// The "Complete Sets" tab: autoscripts offered as packages, their preview, loading one, and
// the clipboard hand-over with an online client.
class Packages final {
 public:
  // `planResetAll` plans "Reset All" into a change, for a package loaded after one.
  Packages(FormState& state, GameFolder& game, Shell& shell, Autoscripts& scripts,
           std::function<void(GameChange&)> planResetAll)
      : state_(state),
        game_(game),
        shell_(shell),
        scripts_(scripts),
        planResetAll_(std::move(planResetAll)) {}

  // The package preview of `file` (a click on `GUPC`): `List9`, the description in `Label51`,
  // the picture in `Image4`, and in `PackagePlan` what loading it would change.
  Outcome GUPC_Click(const std::string& file);
  // The entry preview of the `List9` entry `entry`: its folder's picture and contents.txt.
  Outcome List9_Click(const std::string& entry);
  // "Load this package": every entry of the package `file` but the first, after Reset All
  // with `reset` (`Check1`), as one change; with `post` (`Check2`) the package's file name
  // then goes to the clipboard for the online client.
  Outcome LoadPackage(const std::string& file, bool reset, bool post);
  // The pointer over `Label29`: loads the package whose file name the clipboard holds, after
  // Reset All with `reset`, and then empties the clipboard; other text stays on the clipboard.
  // Nothing while `posting` (this selector is the one posting).
  Outcome Label29_MouseMove(bool reset, bool posting);

 private:
  std::filesystem::path entryFolder(const std::string& entry) const;
  std::filesystem::path firstPicture(const std::filesystem::path& folder,
                                     const char* patterns) const;
  void lookForPicture(const std::string& entry, std::filesystem::path& picture) const;

  FormState& state_;
  GameFolder& game_;
  Shell& shell_;
  Autoscripts& scripts_;
  std::function<void(GameChange&)> planResetAll_;
};

}  // namespace kvo
