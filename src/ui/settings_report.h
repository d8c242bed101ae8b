#pragma once

#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kvo {
struct FormState;
}

namespace kvo::ui {

// The six settings as eaw.ini holds them on disk: (name, value) of each key the file has, the
// last line winning as when the game reads it; none when there is no eaw.ini.
using IniSettings = std::optional<std::vector<std::pair<std::string, std::string>>>;
IniSettings readIniSettings(const std::filesystem::path& gameDir);

// Says what a save (Enter in a settings box) wrote, given the file before and after it and
// the boxes the save wrote from.
QString describeSave(const IniSettings& before, const IniSettings& after,
                     const kvo::FormState& state);

// Names the box values that differ from eaw.ini, which a player leaving the box without Enter
// would otherwise lose without a word; "" when every box matches the file.
QString describeUnsaved(const IniSettings& onDisk, const kvo::FormState& state);

}  // namespace kvo::ui
