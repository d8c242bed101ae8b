#pragma once

#include <string>
#include <vector>

#include "app/form_state.h"

namespace kvo {

// The names of the loaded selection in record order: loaded mod folders top to bottom, then
// loaded skins, then (while the plane frame shows) installed alternative planes.
std::vector<std::string> loadedSelection(const FormState& state);

}  // namespace kvo
