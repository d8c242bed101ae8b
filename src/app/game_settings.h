#pragma once

namespace kvo {

class Selector;

// The six settings of eaw.ini on the "General Settings" tab.
class GameSettings final {
 public:
  explicit GameSettings(Selector& selector) : s_(selector) {}

  // Fills the six boxes from eaw.ini.
  void IniRead();

 private:
  Selector& s_;
};

}  // namespace kvo
