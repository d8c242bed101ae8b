#pragma once

#include <filesystem>

namespace kvo {

// Runs the selector's window on `gameDir`, or on a folder the player picks when `askGameDir`,
// until the player leaves it. Returns the process exit code: 3 when another selector is
// already running, 2 when `gameDir` does not exist, 0 when the player cancels the picker.
int runSelectorWindow(int& argc, char** argv, const std::filesystem::path& gameDir,
                      bool askGameDir = false);

}  // namespace kvo
