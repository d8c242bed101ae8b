#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace kvo {

// A table from names to numbers that does not hold the names: each number leads back to its
// name (a planned step that names it), which the caller compares. A change of many thousand
// files then keeps one small slot per name instead of a copy of every path.
class NameSlots final {
 public:
  // The hash to file a name's key under.
  static std::size_t hashOf(std::string_view key) { return std::hash<std::string_view>{}(key); }

  // The number stored for a name of hash `hash` that `same(number)` accepts, or nullptr.
  // Valid until the next insert.
  template <typename Same>
  std::uint64_t* find(std::size_t hash, const Same& same) {
    if (slots_.empty()) return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hash & mask; slots_[at].used; at = (at + 1) & mask) {
      if (slots_[at].hash == hash && same(slots_[at].number)) return &slots_[at].number;
    }
    return nullptr;
  }
  // Stores `number` for a name of hash `hash` that the table does not hold yet.
  void insert(std::size_t hash, std::uint64_t number);
  bool empty() const { return used_ == 0; }
  // Gives the room back.
  void clear();

 private:
  struct Slot {
    std::size_t hash = 0;
    std::uint64_t number = 0;
    bool used = false;
  };
  void grow();

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

}  // namespace kvo
