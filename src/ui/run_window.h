#pragma once

#include <filesystem>

namespace kvo {

// Runs the selector's window on `gameDir` until the player leaves it. Returns the process
// exit code: 3 when another selector is already running, 2 when `gameDir` does not exist.
int runSelectorWindow(int& argc, char** argv, const std::filesystem::path& gameDir);

}  // namespace kvo
