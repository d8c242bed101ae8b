#pragma once

#include <string>
#include <vector>
#include "state/problems.h"

namespace kvo {

class Core;

// The music sets of Music.ini: the set in use lives in the game's Music folder, every other
// set in a folder of its own name.
class MusicSets final {
 public:
  explicit MusicSets(Core& core) : s_(core) {}

  // Reads Music.ini into `MusicSets`, the sets with a folder of their own into `List4` and
  // the set in use into `Label11`; what it leaves out is noted in `problems`.
  void ReadMusicSets(Problems& problems);
  // A click on `List4` entry `index`: that set becomes the one in use, by renaming folders.
  void SwitchMusicSet(int index);

 private:
  std::string switchProblem(const std::string& chosen) const;
  Core& s_;
};

}  // namespace kvo
