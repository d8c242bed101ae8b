#pragma once

namespace kvo {

class Selector;

// "Reset All", the clean-up by CleanUp.ini and "Del MSN".
class ResetAll final {
 public:
  explicit ResetAll(Selector& selector) : s_(selector) {}

 private:
  [[maybe_unused]] Selector& s_;
};

}  // namespace kvo
