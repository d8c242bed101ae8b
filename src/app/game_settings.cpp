#include "app/game_settings.h"

#include <array>
#include <string_view>
#include <vector>

#include "app/selector.h"
#include "platform/file_ops.h"
#include "platform/legacy_number.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

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

constexpr std::string_view kFailureTitle = "eaw.ini";

bool hasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != text.npos;
}

// A text box may hand over bare line feeds; the game's file keeps CR LF throughout.
std::string withCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text[i] == '\r' || text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

const std::array<std::string_view, 6>& settingNames() {
  static const auto names = [] {
    std::array<std::string_view, 6> all;
    for (std::size_t i = 0; i < all.size(); ++i) {
      all[i] = kSettingKeys[i].key.substr(0, kSettingKeys[i].key.size() - 1);
    }
    return all;
  }();
  return names;
}

std::string* settingBox(SettingsBoxes& boxes, std::string_view name) {
  for (const auto& setting : kSettingKeys) {
    if (setting.key.substr(0, setting.key.size() - 1) == name) return &(boxes.*setting.box);
  }
  return nullptr;
}

std::optional<fs::path> GameSettings::existingIni() const {
  return s_.gameFolder().findPath("eaw.ini");
}

void GameSettings::fail(const std::string& text) {
  s_.shell.message(text, Icon::Exclamation, kFailureTitle);
}

void GameSettings::IniRead() {
  auto& st = s_.state;
  const auto ini = existingIni();
  if (!ini) return;
  std::error_code ec;
  const auto lines = readTextLines(*ini, ec, read_limit::kGameSettings);
  if (!lines) return fail(describeFailure("read", *ini, ec));
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

// A value with a line break would split its line and add lines the game never wrote.
bool GameSettings::refuseLineBreaks() {
  for (const auto& setting : kSettingKeys) {
    if (!hasLineBreak(s_.state.settings.*setting.box)) continue;
    const auto key = setting.key.substr(0, setting.key.size() - 1);
    fail("The value of " + std::string(key) +
         " contains a line break, so eaw.ini was not changed. Please type the value on one line.");
    return true;
  }
  return false;
}

void GameSettings::inisave() {
  if (!s_.state.GridReady) return;
  const auto ini = existingIni();
  if (!ini || refuseLineBreaks()) return;
  std::error_code ec;
  const auto old = readFileBytes(*ini, ec, read_limit::kGameSettings);
  if (!old) return fail(describeFailure("read", *ini, ec));
  auto lines = splitLines(*old);
  for (auto& line : lines) {
    for (const auto& setting : kSettingKeys) {
      if (line.starts_with(setting.key))
        line = std::string(setting.key) + s_.state.settings.*setting.box;
    }
  }
  replaceIni(*ini, joinLinesCrLf(lines));
}

// The change writes the new text under a name of its own and renames it over eaw.ini when
// whole, so that an interrupted save leaves the old file whole.
bool GameSettings::replaceIni(const fs::path& ini, std::string bytes) {
  GameChange change(s_);
  change.replaceWith(ini, std::move(bytes));
  Problems problems;
  if (!change.commit(problems)) {
    s_.shell.message(change.failure(), Icon::Critical, "KVO");
    return false;
  }
  problems.report(s_.shell, {}, Icon::Critical);
  return true;
}

void GameSettings::Text_KeyPress(int keyAscii) {
  if (keyAscii == kEnterKey) inisave();
}

void GameSettings::IniEdit_Click() {
  auto& st = s_.state;
  st.Frame21Visible = true;
  st.Text14.clear();
  const auto ini = existingIni();
  if (!ini) return;
  std::error_code ec;
  const auto lines = readTextLines(*ini, ec, read_limit::kGameSettings);
  if (!lines) return fail(describeFailure("read", *ini, ec));
  st.Text14 = joinLinesCrLf(*lines);
}

void GameSettings::InSaver_Click() {
  const auto ini = existingIni();
  if (!ini) return;
  if (replaceIni(*ini, withCrLf(s_.state.Text14) + "\r\n")) IniRead();
}

void GameSettings::Frame21_Click() {
  s_.state.Frame21Visible = false;
}

}  // namespace kvo
