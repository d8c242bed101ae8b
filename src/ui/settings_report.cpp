#include "ui/settings_report.h"

#include <QStringList>

#include "app/game_settings.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/form_state.h"
#include "ui/view_sync.h"

namespace kvo::ui {

namespace {

const std::string* valueOf(const IniSettings& settings, std::string_view name) {
  if (!settings) return nullptr;
  for (const auto& [key, value] : *settings) {
    if (key == name) return &value;
  }
  return nullptr;
}

std::string boxText(const kvo::FormState& state, std::string_view name) {
  auto boxes = state.settings;
  const std::string* box = kvo::settingBox(boxes, name);
  return box ? *box : std::string();
}

QString setting(std::string_view name, const std::string& value) {
  return toQString(std::string(name) + "=" + value);
}

}  // namespace

IniSettings readIniSettings(const std::filesystem::path& gameDir) {
  const auto ini = kvo::findNoCase(gameDir, "eaw.ini");
  if (!ini) return std::nullopt;
  std::error_code ec;
  const auto bytes = kvo::readFileBytes(*ini, ec, kvo::read_limit::kGameSettings);
  if (!bytes) return std::nullopt;
  std::vector<std::pair<std::string, std::string>> found;
  for (const auto name : kvo::settingNames()) {
    const std::string key = std::string(name) + "=";
    for (const auto& line : kvo::splitLines(*bytes)) {
      if (!line.starts_with(key)) continue;
      std::erase_if(found, [&](const auto& pair) { return pair.first == name; });
      found.emplace_back(std::string(name), line.substr(key.size()));
    }
  }
  return found;
}

QString describeSave(const IniSettings& before, const IniSettings& after,
                     const kvo::FormState& state) {
  if (!after)
    return QStringLiteral("There is no eaw.ini in the game folder, so nothing was saved.");
  QStringList changed;
  for (const auto& [name, value] : *after) {
    const std::string* old = valueOf(before, name);
    if (!old || *old != value) changed << setting(name, value);
  }
  if (!changed.isEmpty()) return QStringLiteral("Saved %1 in eaw.ini.").arg(changed.join(", "));
  if (describeUnsaved(after, state).isEmpty()) {
    return QStringLiteral("eaw.ini already holds these settings.");
  }
  return QStringLiteral("eaw.ini was not changed.");
}

QString describeUnsaved(const IniSettings& onDisk, const kvo::FormState& state) {
  if (!onDisk) return {};
  QStringList pending;
  for (const auto& [name, value] : *onDisk) {
    const std::string typed = boxText(state, name);
    if (typed != value) pending << setting(name, typed);
  }
  if (pending.isEmpty()) return {};
  // One Enter saves all six boxes, whichever box it is pressed in.
  return QStringLiteral("%1 %2 not saved yet: Enter in any of the six boxes saves all six.")
      .arg(pending.join(", "), pending.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"));
}

}  // namespace kvo::ui
