#pragma once

#include <string>
#include <string_view>

namespace kvo {

// Why `name` (one name, 8-bit text as the listings give it) cannot be the name of a file or
// folder on Windows, in the player's words; empty when it can. Names made on Linux or
// unpacked there from an archive made on Windows may hold what Windows forbids.
std::string windowsNameProblem(std::string_view name);

}  // namespace kvo
