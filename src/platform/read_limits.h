#pragma once

#include <cstddef>

// The largest file of each kind the selector reads, each well above what the game, its tools
// or the selector itself ever write, and low enough that a file of the wrong kind in its
// place (a disk image named eaw.ini) is refused before it costs memory.
namespace kvo::read_limit {

inline constexpr std::size_t kKiB = 1024;
inline constexpr std::size_t kMiB = 1024 * kKiB;

inline constexpr std::size_t kCategoryTable = 1 * kMiB;      // kvo.ini: 256 lines are used
inline constexpr std::size_t kLoadRecord = 1 * kMiB;         // FoldersLoaded.txt
inline constexpr std::size_t kDeploymentRecord = 64 * kMiB;  // FilesLoaded.txt: ~1,000,000 files
inline constexpr std::size_t kOptions = 64 * kKiB;           // Options.txt
inline constexpr std::size_t kCleanUpList = 1 * kMiB;        // CleanUp.ini: its first line
inline constexpr std::size_t kMusicSets = 64 * kKiB;         // Music.ini: 11 lines are used
inline constexpr std::size_t kGameSettings = 1 * kMiB;       // eaw.ini
inline constexpr std::size_t kScript = 1 * kMiB;             // *.set autoscripts and packages
inline constexpr std::size_t kDescription = 1 * kMiB;        // contents.txt
inline constexpr std::size_t kPlaneRecord = 64 * kKiB;       // *.kvo: 169 short lines
inline constexpr std::size_t kLoadoutPatch = 1 * kMiB;       // *.lox, *.lo1, *.lo2
inline constexpr std::size_t kGameData = 16 * kMiB;          // planes.dat, loadout.dat
inline constexpr std::size_t kPlaneNames = 1 * kMiB;         // pnames.str
inline constexpr std::size_t kPlaneMenu = 1 * kMiB;          // picplna/b/g.mnu
inline constexpr std::size_t kJournal = 256 * kMiB;          // Unfinished change.kvo
inline constexpr std::size_t kHistory = 64 * kMiB;           // History.txt: a change's entry
inline constexpr std::size_t kSystemTable = 16 * kMiB;       // /proc/locks

}  // namespace kvo::read_limit
