#pragma once

#include <filesystem>
#include <string>

namespace kvo {

// Starts `exe` in `workingDir` without waiting for it; it outlives the selector. On Linux a
// Windows program (".exe") is started through wine. False and `error` when it cannot start.
bool startDetached(const std::filesystem::path& exe, const std::filesystem::path& workingDir,
                   std::string& error);

}  // namespace kvo
