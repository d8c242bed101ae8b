#include "app/game_settings.h"

#include <array>
#include <string_view>
#include <vector>

#include <algorithm>

#include "gamefiles/legacy_number.h"
#include "platform/entry_ops.h"
#include "platform/file_ops.h"
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
  std::string_view caption;  // the box's caption in the window
  long least;                // the range the game takes
  long most;
};

constexpr long kNoLimit = 999'999'999;

// The order in which every operation tests the keys.
constexpr std::array<SettingKey, 6> kSettingKeys = {{
    {"Width=", &SettingsBoxes::text5, "Width", 320, 7680},
    {"Height=", &SettingsBoxes::text6, "Height", 320, 7680},
    {"ExtraSquads=", &SettingsBoxes::text4, "Extra Squads", 0, kNoLimit},
    {"Day=", &SettingsBoxes::text7, "Day", 1, 31},
    {"Month=", &SettingsBoxes::text88, "Month", 1, 12},
    {"PlaneSetNumber=", &SettingsBoxes::text11, "Planeset", 0, kNoLimit},
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

// " eaw.ini stays read-only." after a save that replaced a read-only eaw.ini, else "".
std::string stillReadOnly(const Outcome& saved, const fs::path& ini) {
  if (saved.changes.files.empty() || !hasReadOnlyMark(ini)) return {};
  return " " + pathToText(ini.filename()) + " stays read-only, as it was.";
}

bool inRange(std::string_view value, const SettingKey& setting) {
  // Nine digits at most, so that the number cannot overflow; no sign, blank or fraction.
  if (value.empty() || value.size() > 9) return false;
  long number = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  return number >= setting.least && number <= setting.most;
}

std::string rangeText(const SettingKey& setting) {
  if (setting.most == kNoLimit)
    return "a whole number of " + std::to_string(setting.least) + " or more";
  return "a whole number from " + std::to_string(setting.least) + " to " +
         std::to_string(setting.most);
}

// The first typed value the game would not take, as one sentence naming its box; "" when all
// are fine. A value eaw.ini already held is written back as it was read, whatever it is.
std::string outOfRange(const SettingsBoxes& boxes, const SettingsBoxes& held) {
  for (const auto& setting : kSettingKeys) {
    const auto& value = boxes.*setting.box;
    if (value == held.*setting.box || inRange(value, setting)) continue;
    const auto key = setting.key.substr(0, setting.key.size() - 1);
    std::string box(setting.caption);
    if (setting.caption != key) box += " (" + std::string(key) + " in eaw.ini)";
    return box + " must be " + rangeText(setting) + ", not \"" + value +
           "\", so eaw.ini was not changed.";
  }
  return {};
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
  return game_.listing().findPath("eaw.ini");
}

std::string GameSettings::IniRead() {
  auto& st = state_;
  const auto ini = existingIni();
  if (!ini) return {};
  std::error_code ec;
  const auto lines = readTextLines(*ini, ec, read_limit::kGameSettings);
  if (!lines) return describeFailure("read", *ini, ec);
  const bool wasReady = st.GridReady;
  st.GridReady = false;
  for (const auto& line : *lines) {
    for (const auto& setting : kSettingKeys) {
      if (!line.starts_with(setting.key)) continue;
      st.settings.*setting.box =
          formatLegacyNumber(parseLegacyNumber(std::string_view(line).substr(setting.key.size())));
    }
  }
  st.iniSettings = st.settings;
  if (wasReady) st.GridReady = true;
  return {};
}

Outcome GameSettings::inisave(const SettingsBoxes& boxes) {
  auto& st = state_;
  st.settings = boxes;
  if (!st.GridReady) return {};
  const std::string action = "save the settings in eaw.ini";
  const auto ini = existingIni();
  if (!ini) {
    Outcome outcome;
    outcome.action = action;
    outcome.done = "There is no eaw.ini in the game folder, so nothing was saved.";
    return outcome;
  }
  // A value with a line break would split its line and add lines the game never wrote.
  for (const auto& setting : kSettingKeys) {
    if (!hasLineBreak(boxes.*setting.box)) continue;
    const auto key = setting.key.substr(0, setting.key.size() - 1);
    return Outcome::refused(action,
                            "The value of " + std::string(key) +
                                " contains a line break, so eaw.ini was not changed. Please type "
                                "the value on one line.",
                            Icon::Exclamation, std::string(kFailureTitle));
  }
  if (auto why = outOfRange(boxes, st.iniSettings); !why.empty()) {
    return Outcome::refused(action, std::move(why), Icon::Exclamation, std::string(kFailureTitle));
  }
  std::error_code ec;
  const auto old = readFileBytes(*ini, ec, read_limit::kGameSettings);
  if (!old) {
    return Outcome::refused(action, describeFailure("read", *ini, ec), Icon::Exclamation,
                            std::string(kFailureTitle));
  }
  auto lines = splitLines(*old);
  std::vector<std::string> saved;
  for (auto& line : lines) {
    for (const auto& setting : kSettingKeys) {
      if (!line.starts_with(setting.key)) continue;
      const auto& value = boxes.*setting.box;
      const std::string written = std::string(setting.key) + value;
      if (line != written && std::ranges::find(saved, written) == saved.end()) {
        saved.push_back(written);
      }
      line = written;
    }
  }
  auto outcome = replaceIni(action, *ini, joinLinesCrLf(lines));
  if (!outcome.ok() || outcome.planned) return outcome;
  st.iniSettings = boxes;
  outcome.done = saved.empty() ? "eaw.ini already holds these settings."
                               : "Saved " + nameList(saved, saved.size()) + " in eaw.ini.";
  outcome.done += stillReadOnly(outcome, *ini);
  return outcome;
}

std::string GameSettings::unsavedSettings(const SettingsBoxes& boxes) const {
  std::vector<std::string> pending;
  for (const auto& setting : kSettingKeys) {
    if (boxes.*setting.box == state_.iniSettings.*setting.box) continue;
    pending.push_back(std::string(setting.key) + boxes.*setting.box);
  }
  if (pending.empty()) return {};
  // One Enter saves all six boxes, whichever box it is pressed in.
  return nameList(pending, pending.size()) + (pending.size() == 1 ? " is" : " are") +
         " not saved yet: Enter in any of the six boxes saves all six.";
}

// The change writes the new text under a name of its own and renames it over eaw.ini when
// whole, so that an interrupted save leaves the old file whole.
//
// Players set eaw.ini read-only so that the game keeps their settings: the new file carries
// the mark again, and the outcome says so.
Outcome GameSettings::replaceIni(std::string action, const fs::path& ini, std::string bytes) {
  const std::string name = pathToText(ini.filename());
  GameChange change(state_, std::move(action));
  change.setNotDone(name + " was not saved");
  std::error_code ec;
  if (change.read(ini, ec, read_limit::kGameSettings) != bytes) {
    change.keepReadOnly(change.replaceWith(ini, std::move(bytes)));
  }
  return game_.commit(change);
}

Outcome GameSettings::IniEdit_Click() {
  auto& st = state_;
  st.Frame21Visible = true;
  st.Text14.clear();
  const auto ini = existingIni();
  if (!ini) {
    Outcome outcome;
    outcome.done = "There is no eaw.ini in the game folder to show.";
    return outcome;
  }
  std::error_code ec;
  const auto lines = readTextLines(*ini, ec, read_limit::kGameSettings);
  if (!lines) {
    return Outcome::refused("show eaw.ini", describeFailure("read", *ini, ec), Icon::Exclamation,
                            std::string(kFailureTitle));
  }
  st.Text14 = joinLinesCrLf(*lines);
  return {};
}

Outcome GameSettings::InSaver_Click(const std::string& text) {
  state_.Text14 = text;
  const auto ini = existingIni();
  if (!ini) {
    Outcome outcome;
    outcome.done = "There is no eaw.ini in the game folder, so nothing was saved.";
    return outcome;
  }
  auto outcome = replaceIni("save eaw.ini", *ini, withCrLf(text) + "\r\n");
  if (!outcome.ok() || outcome.planned) return outcome;
  game_.forgetListing();
  if (auto problem = IniRead(); !problem.empty()) outcome.passedOver.add(std::move(problem));
  outcome.done = "Saved eaw.ini." + stillReadOnly(outcome, *ini);
  return outcome;
}

void GameSettings::Frame21_Click() {
  state_.Frame21Visible = false;
}

}  // namespace kvo
