#include "platform/name_slots.h"

#include <utility>

namespace kvo {

void NameSlots::insert(std::size_t hash, std::uint64_t number) {
  if (2 * (used_ + 1) > slots_.size()) grow();
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  while (slots_[at].used) at = (at + 1) & mask;
  slots_[at] = {hash, number, true};
  ++used_;
}

void NameSlots::clear() {
  decltype(slots_)().swap(slots_);
  used_ = 0;
}

void NameSlots::grow() {
  std::vector<Slot> old(slots_.empty() ? 64 : 2 * slots_.size());
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const auto& slot : old) {
    if (!slot.used) continue;
    std::size_t at = slot.hash & mask;
    while (slots_[at].used) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

}  // namespace kvo
