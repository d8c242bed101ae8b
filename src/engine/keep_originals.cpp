#include "engine/keep_originals.h"

#include <optional>
#include <string>

#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool isLineOf(std::string_view line, std::string_view key) {
  return line.size() >= key.size() && equalsNoCase(line.substr(0, key.size()), key);
}

// The value of the last line of `key` (a later line wins, as when the file was edited by hand).
std::optional<std::string> readOption(const FormState& state, std::string_view key) {
  std::error_code ec;
  const auto lines = readTextLines(optionsPath(state), ec, read_limit::kOptions);
  if (!lines) return std::nullopt;
  std::optional<std::string> value;
  for (const auto& line : *lines) {
    if (isLineOf(line, key)) value = line.substr(key.size());
  }
  return value;
}

// Writes `key` with `value` into the options file as one change named `action`.
Outcome writeOption(FormState& state, GameFolder& game, std::string_view key,
                    std::string_view value, std::string action) {
  std::error_code ec;
  // Lines of other options, from a later version perhaps, stay as they are.
  auto lines = readTextLines(optionsPath(state), ec, read_limit::kOptions)
                   .value_or(std::vector<std::string>{});
  std::erase_if(lines, [key](const std::string& line) { return isLineOf(line, key); });
  lines.push_back(std::string(key) + std::string(value));
  GameChange change(state, std::move(action));
  change.replaceWith(optionsPath(state), joinLinesCrLf(lines));
  return game.commit(change);
}

}  // namespace

fs::path optionsPath(const FormState& state) {
  return state.SelectorDir / nameToPath(kOptionsName);
}

bool readSwitch(const FormState& state, const SwitchOption& option) {
  const auto value = readOption(state, option.key);
  return value && equalsNoCase(*value, option.words[1]);
}

Outcome setSwitch(FormState& state, GameFolder& game, const SwitchOption& option, bool on) {
  const auto word = option.words[on ? 1 : 0];
  auto outcome =
      writeOption(state, game, option.key, word, std::string(option.action) + std::string(word));
  if (!outcome.ok() || outcome.planned) return outcome;
  state.*option.field = on;
  outcome.done = option.done[on ? 1 : 0];
  return outcome;
}

bool readKeepOriginals(const FormState& state) {
  return readSwitch(state, kKeepOriginalsOption);
}

Outcome setKeepOriginals(FormState& state, GameFolder& game, bool on) {
  return setSwitch(state, game, kKeepOriginalsOption, on);
}

bool readDeployByLink(const FormState& state) {
  return readSwitch(state, kDeployByOption);
}

Outcome setDeployByLink(FormState& state, GameFolder& game, bool link) {
  return setSwitch(state, game, kDeployByOption, link);
}

}  // namespace kvo
