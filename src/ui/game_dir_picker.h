#pragma once

#include <filesystem>
#include <optional>

namespace kvo::ui {

// Asks the player for the game folder, proposing the one chosen last time, and warns when
// the chosen folder holds no eaw.exe. nullopt when the player cancels. Needs a QApplication.
std::optional<std::filesystem::path> askForGameDir();

}  // namespace kvo::ui
