#pragma once

#include <string_view>

namespace kvo {

// Ends the program at once, as a kill would, when the environment variable KVO_KILL_AT names
// `point`. The kill tests use it to end a change at the one moment an outside kill cannot hit
// reliably on a busy machine: between the commit mark and the end of the change.
void killHereIfAsked(std::string_view point);

}  // namespace kvo
