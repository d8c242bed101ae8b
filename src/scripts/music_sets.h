#pragma once

#include <string>
#include <vector>
#include "state/problems.h"

namespace kvo {

class Core;

// The music sets of Music.ini.
class MusicSets final {
 public:
  explicit MusicSets(Core& core) : s_(core) {}

  // Reads Music.ini into `MusicSets` and `List4` (start-up).
  void readMusicIni(Problems& problems);

 private:
  Core& s_;
};

}  // namespace kvo
