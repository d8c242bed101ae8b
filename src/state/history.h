#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "state/form_state.h"
#include "state/outcome.h"

// The history of changes in the selector folder, one entry per committed change, 8-bit text
// with CR LF line ends:
//
//   2024-05-01 14:03:22<TAB>click T-Normandy<TAB>4 copied, 2 deleted, 2 written
//   <TAB>delete<TAB>burma.ter
//   <TAB>copy<TAB>normandy.ter<TAB>KVO128\T-Normandy\normandy.ter
//   <TAB>mark<TAB>Unigrid<TAB>T-Normandy<TAB>S
//
// The file lines are those of Changes::lines(), which a dry run prints.
namespace kvo {

inline constexpr std::string_view kHistoryName = "History.txt";
// How many changes the history keeps; older ones are dropped.
inline constexpr std::size_t kHistoryKept = 200;
// How large the history may grow: every change writes it whole, so the entries of changes of
// thousands of files push older entries out sooner (the newest entry always stays).
inline constexpr std::size_t kHistoryMaxBytes = 512 * 1024;

// The history file of the game folder's selector folder, in the letter case it has on disk.
std::filesystem::path historyPath(const FormState& state);

// The local time now, as the history writes it.
std::string historyTime();

// One entry of the history for `action` at `time` with what it changed, CR LF after each line.
std::string historyEntry(std::string_view time, std::string_view action, const Changes& changes);

// The bytes of a history with `entry` added after the entries of `history`, of which only the
// newest are kept: kHistoryKept entries at most, and no more than kHistoryMaxBytes in all.
std::string withHistoryEntry(std::string_view history, std::string_view entry);

// The last `count` entries of a history, oldest first, each as its lines (the first line
// says when and what, the others begin with a tab).
std::vector<std::vector<std::string>> lastHistoryEntries(std::string_view history,
                                                         std::size_t count);

}  // namespace kvo
