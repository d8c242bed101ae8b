#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "gamefiles/plane_menu.h"
#include "gamefiles/pmnuform.h"
#include "gamefiles/pnameform.h"

namespace kvo {

// The plane slots whose names the install puts into entries 0, 1, ... of a side's menu
// (B: 13, 11, 10, 9, 14, 12; A: 5, 3, 4, 2, 0, 1; G: 18, 17, 22, 23, 16, 24, 20, 19).
std::span<const int> menuRefillSlots(MenuSide side);

// Puts an installed plane's name into the row of its slot (0..29); the error or "".
std::string setPlaneName(PnameGrid& grid, int slot, std::string_view name);

// The three menu files, indexed by side (B, A, G).
using MenuFileTexts = std::array<std::string, kMenuSideCount>;

// The three menus rewritten by the install, or the first reason one of them cannot be.
struct RefilledMenus {
  MenuFileTexts bytes;  // new bytes of the B, A and G files
  std::string error;    // names the file; empty when all three may be written

  bool ok() const { return error.empty(); }
};

// For B, A and G in that order: turns on that side's option button, Pmensee on its current
// bytes, puts the names of its refill slots from `names` into bmnutb(0), bmnutb(1), ... and
// pmenwrite; every other entry keeps what was read. Refused while `names` holds no table.
// `fileNames` name the files in messages (an empty one: the side's own file name).
RefilledMenus refillMenus(Pmnuform& form, const PnameGrid& names,
                          const std::array<std::string_view, kMenuSideCount>& current,
                          const MenuFileTexts& fileNames = {});

}  // namespace kvo
