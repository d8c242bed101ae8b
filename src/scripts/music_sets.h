#pragma once

#include <string>
#include <vector>

namespace kvo {

class Selector;

// The music sets of Music.ini.
class MusicSets final {
 public:
  explicit MusicSets(Selector& selector) : s_(selector) {}

  // Reads Music.ini into `MusicSets` and `List4` (start-up).
  void readMusicIni(std::vector<std::string>& problems);

 private:
  Selector& s_;
};

}  // namespace kvo
