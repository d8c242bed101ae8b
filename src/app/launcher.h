#pragma once

namespace kvo {

class Selector;

// Starting a program of the game folder, minimise and exit.
class Launcher final {
 public:
  explicit Launcher(Selector& selector) : s_(selector) {}

 private:
  [[maybe_unused]] Selector& s_;
};

}  // namespace kvo
