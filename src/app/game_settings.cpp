#include "app/game_settings.h"

#include <array>
#include <string_view>

#include "app/selector.h"
#include "platform/legacy_number.h"
#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {

namespace {

struct SettingKey {
  std::string_view key;
  std::string SettingsBoxes::*box;
};

// The order in which every operation tests the keys.
constexpr std::array<SettingKey, 6> kSettingKeys = {{
    {"Width=", &SettingsBoxes::text5},
    {"Height=", &SettingsBoxes::text6},
    {"ExtraSquads=", &SettingsBoxes::text4},
    {"Day=", &SettingsBoxes::text7},
    {"Month=", &SettingsBoxes::text88},
    {"PlaneSetNumber=", &SettingsBoxes::text11},
}};

}  // namespace

void GameSettings::IniRead() {
  auto& st = s_.state;
  const auto ini = findNoCase(st.GameDir, "eaw.ini");
  if (!ini) return;
  std::error_code ec;
  const auto lines = readTextLines(*ini, ec);
  if (!lines) return;
  const bool wasReady = st.GridReady;
  st.GridReady = false;
  for (const auto& line : *lines) {
    for (const auto& setting : kSettingKeys) {
      if (!line.starts_with(setting.key)) continue;
      st.settings.*setting.box =
          formatLegacyNumber(parseLegacyNumber(std::string_view(line).substr(setting.key.size())));
    }
  }
  if (wasReady) st.GridReady = true;
}

}  // namespace kvo
