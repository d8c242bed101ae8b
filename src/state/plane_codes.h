#pragma once

#include <array>
#include <string>

namespace kvo {

// The game's 30 plane codes in slot order ("p38h" is slot 0); entry 30 stays empty.
std::array<std::string, 31> planeCodeTable();

}  // namespace kvo
