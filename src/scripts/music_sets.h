#pragma once

#include <string>
#include <vector>

#include "state/form_state.h"
#include "state/game_folder.h"
#include "state/outcome.h"
#include "state/problems.h"

namespace kvo {

// The music sets of Music.ini: the set in use lives in the game's Music folder, every other
// set in a folder of its own name.
class MusicSets final {
 public:
  MusicSets(FormState& state, GameFolder& game) : state_(state), game_(game) {}

  // Reads Music.ini into `MusicSets`, the sets with a folder of their own into `List4` and
  // the set in use into `Label11`; what it leaves out is noted in `problems`.
  void ReadMusicSets(Problems& problems);
  // A click on the `List4` entry `name`: that set becomes the one in use, by renaming the
  // Music folder back to the set in use and the chosen set's folder to Music, as one change.
  Outcome SwitchMusicSet(const std::string& name);

 private:
  std::string switchProblem(const std::string& chosen) const;
  FormState& state_;
  GameFolder& game_;
};

}  // namespace kvo
