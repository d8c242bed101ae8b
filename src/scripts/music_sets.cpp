#include "scripts/music_sets.h"

#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/text_file.h"
#include "state/core.h"

namespace kvo {

void MusicSets::readMusicIni(Problems& problems) {
  auto& st = s_.state;
  const auto ini = s_.gameFolder().findPath("Music.ini");
  if (!ini) return;
  std::error_code ec;
  const auto lines = readTextLines(*ini, ec);
  if (!lines) {
    problems.add(describeFailure("read", *ini, ec));
    return;
  }
  st.List4.clear();
  st.MusicSets = {};
  std::size_t count = 0;
  for (const auto& line : *lines) {
    if (line.empty()) continue;
    if (count == st.MusicSets.size()) {
      problems.add("Music.ini: only the first 11 music sets are used.");
      break;
    }
    st.MusicSets[count++] = line;
    // The set in use has no folder of its own: its files are in the Music folder.
    if (folderExists(st.GameDir / nameToPath(line))) {
      st.List4.items.push_back(line);
    } else {
      st.Label11 = line;
    }
  }
}

}  // namespace kvo
