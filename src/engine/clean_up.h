#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>
#include "state/problems.h"

namespace kvo {

class FolderIndex;
class GameChange;

// The files Reset All sweeps from the game folder when CleanUp.ini does not say otherwise.
inline constexpr std::string_view kBuiltInCleanUpPatterns =
    "P*.bmp;*.bgm;*.smk;*.fnt;*.wsd;*.fsp;*.pal;*.bak;*.tco;*.pco;*.bco;*.hm;*.jpg;*.pcx;*.txt;"
    "mypic;planepic;skinpic;*.mnu;*.dat;*.mpc;*.wsp;*.pic;*.spt;*.str;*.ter;*.tm;*.tpc;*.flt;"
    "*.3dz;*.snd;*.bil;*.bin;*.cpt";

// True for the game's own files that the sweep never deletes, whatever the patterns say.
bool isProtectedFromCleanUp(std::string_view fileName);

// The patterns of the sweep: the first line of CleanUp.ini's text when the file exists
// (`iniText` non-null), else the built-in list.
std::string cleanUpPatterns(const std::string* iniText);

// The files the sweep deletes from the game folder (not its subfolders): those matching the
// patterns of `selectorDir`'s CleanUp.ini, except the protected ones. A CleanUp.ini that
// cannot be read adds why to `failures` and sweeps nothing.
std::vector<std::string> cleanUpNames(const FolderIndex& game,
                                      const std::filesystem::path& selectorDir, Problems& failures);

// Plans the sweep's deletes into `change`, each one going on after a failure and showing
// `caption` while it runs; the file named `kept` (any letter case), which the caller puts back
// itself, is left out.
void CleanUp(const FolderIndex& game, const std::filesystem::path& selectorDir, GameChange& change,
             Problems& failures, std::string_view kept = {}, const std::string& caption = {});

// The sweep of `gameDir` on its own, as one change journaled in `selectorDir`; returns what
// could not be deleted.
Problems CleanUp(const std::filesystem::path& gameDir, const std::filesystem::path& selectorDir);

}  // namespace kvo
