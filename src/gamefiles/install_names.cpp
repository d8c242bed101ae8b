#include "gamefiles/install_names.h"

#include <cstddef>

#include "gamefiles/pnames.h"

namespace kvo {

namespace {

constexpr int kSlotsB[] = {13, 11, 10, 9, 14, 12};
constexpr int kSlotsA[] = {5, 3, 4, 2, 0, 1};
constexpr int kSlotsG[] = {18, 17, 22, 23, 16, 24, 20, 19};

// Pmensee, the refill names, pmenwrite for the side whose option button is on.
FileBytes refillSide(Pmnuform& form, const PnameGrid& names, std::string_view current,
                     std::string_view fileName) {
  FileBytes out;
  out.error = form.Pmensee(current, fileName);
  if (!out.ok()) return out;
  const auto slots = menuRefillSlots(form.side());
  for (std::size_t entry = 0; entry < slots.size(); ++entry) {
    form.setBmnutb(static_cast<int>(entry), names.text(slots[entry]));
  }
  return form.pmenwrite(fileName);
}

}  // namespace

std::span<const int> menuRefillSlots(MenuSide side) {
  switch (side) {
    case MenuSide::B:
      return kSlotsB;
    case MenuSide::A:
      return kSlotsA;
    case MenuSide::G:
      return kSlotsG;
  }
  return {};
}

std::string setPlaneName(PnameGrid& grid, int slot, std::string_view name) {
  if (slot < 0 || slot >= static_cast<int>(kPnamesMinimumNames) ||
      !grid.setText(slot, std::string(name))) {
    return "There is no row for plane slot " + std::to_string(slot) + " in " +
           std::string(kPnamesFileName) + " (the game's slots are 0 to 29).";
  }
  return {};
}

RefilledMenus refillMenus(Pmnuform& form, const PnameGrid& names,
                          const std::array<std::string_view, kMenuSideCount>& current,
                          const MenuFileTexts& fileNames) {
  RefilledMenus out;
  // An unread table would blank the menus' names rather than refill them.
  if (names.texts().size() < kPnamesMinimumNames) {
    out.error = "The plane names of " + std::string(kPnamesFileName) +
                " have not been read, so the menus cannot be refilled.";
    return out;
  }
  for (std::size_t i = 0; i < kMenuSideCount; ++i) {
    form.setCountryBut(static_cast<int>(i));
    auto side = refillSide(form, names, current[i], fileNames[i]);
    if (!side.ok()) {
      out.error = std::move(side.error);
      out.bytes = {};
      return out;
    }
    out.bytes[i] = std::move(side.bytes);
  }
  return out;
}

}  // namespace kvo
