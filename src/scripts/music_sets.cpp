#include "scripts/music_sets.h"

#include "platform/file_names.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Why a line of Music.ini is not offered as a set; empty when it is. A set is a folder
// directly in the game folder, so a switch renames nothing anywhere else.
std::string lineProblem(const std::string& line) {
  if (line.find_first_of("\\/") != std::string::npos || line.find("..") != std::string::npos) {
    return "a set is a folder of the game folder, named without \\, / or \"..\"";
  }
  if (equalsNoCase(line, "Music")) return "Music is the game's own music folder";
  // A switch renames the set's folder: the saves or the selector's own folders must never be.
  for (const std::string_view owned :
       {"Savedata", "KVO128", "KVO Originals", "Autoscripts", "Skinfolder"}) {
    if (equalsNoCase(line, owned)) {
      return std::string(owned) + " is a folder the game or the selector keeps for itself";
    }
  }
  if (const auto why = windowsNameProblem(line); !why.empty()) return why;
  return {};
}

bool isFolder(const std::optional<fs::path>& found) {
  return found && folderExists(*found);
}

}  // namespace

void MusicSets::ReadMusicSets(Problems& problems) {
  auto& st = state_;
  st.List4.clear();
  st.Label11.clear();
  st.MusicSets = {};
  auto& game = game_.listing();
  const auto ini = game.findPath("Music.ini");
  if (!ini || !fileExists(*ini)) return;
  std::error_code ec;
  const auto lines = readTextLines(*ini, ec, read_limit::kMusicSets);
  if (!lines) {
    problems.add(describeFailure("read", *ini, ec));
    return;
  }
  std::size_t count = 0;
  for (const auto& line : *lines) {
    if (line.empty()) continue;
    if (const auto problem = lineProblem(line); !problem.empty()) {
      problems.add("Music.ini: \"" + line + "\" is not offered as a music set: " + problem + ".");
      continue;
    }
    if (count == st.MusicSets.size()) {
      problems.add("Music.ini: only the first 11 music sets are used.");
      break;
    }
    st.MusicSets[count++] = line;
    // The set in use has no folder of its own: its files are in the Music folder.
    if (isFolder(game.findPath(line))) {
      st.List4.items.push_back(line);
    } else {
      st.Label11 = line;
    }
  }
}

std::string MusicSets::switchProblem(const std::string& chosen) const {
  const auto& st = state_;
  auto& game = game_.listing();
  if (st.Label11.empty()) {
    return "no set is in use (every set of Music.ini has a folder of its own), so the music "
           "in the Music folder has no name to be put back under";
  }
  if (!isFolder(game.findPath("Music"))) return "the game folder has no Music folder";
  if (game.find(st.Label11)) {
    return "the game folder already holds a " + st.Label11 +
           ", so the set in use cannot be put back under its name";
  }
  if (!isFolder(game.findPath(chosen))) return "its folder " + chosen + " is missing";
  return {};
}

Outcome MusicSets::SwitchMusicSet(const std::string& chosen) {
  auto& st = state_;
  GameChange change(st, "music " + chosen);
  if (const auto problem = switchProblem(chosen); !problem.empty()) {
    return Outcome::refused(change.action(),
                            "The music set " + chosen + " could not be switched in: " + problem +
                                ". Nothing was changed.",
                            Icon::Exclamation);
  }
  const auto inUse = st.Label11;
  auto& game = game_.listing();
  // One change: the game is never left without its music folder.
  const auto music = *game.findPath("Music");
  change.rename(music, game.dir() / nameToPath(inUse));
  change.rename(*game.findPath(chosen), music);
  auto outcome = game_.commit(change);
  if (outcome.planned) return outcome;
  game_.forgetListing();
  // Whatever Music.ini holds beyond the sets was told at start-up already.
  Problems toldBefore;
  ReadMusicSets(toldBefore);
  if (!outcome.ok()) {
    outcome.failure += " The music was not switched.";
    return outcome;
  }
  outcome.done = "The music in use is " + chosen + "; " + inUse + " waits in its own folder.";
  return outcome;
}

}  // namespace kvo
