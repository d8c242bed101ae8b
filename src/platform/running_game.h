#pragma once

#include <filesystem>

namespace kvo {

// True while a process whose program is eaw.exe (in any letter case) in `gameDir` runs, be it
// a native program or one that Wine runs; another game folder's eaw.exe does not count.
// Processes this user may not look into are passed over.
bool gameRunningFrom(const std::filesystem::path& gameDir);

}  // namespace kvo
