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

constexpr std::string_view kKeepKey = "KeepOriginals=";
constexpr std::string_view kDeployKey = "DeployBy=";

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

bool readKeepOriginals(const FormState& state) {
  const auto value = readOption(state, kKeepKey);
  return value && equalsNoCase(*value, "on");
}

Outcome setKeepOriginals(FormState& state, GameFolder& game, bool on) {
  const std::string word = on ? "on" : "off";
  auto outcome = writeOption(state, game, kKeepKey, word, "keep originals " + word);
  if (!outcome.ok() || outcome.planned) return outcome;
  state.KeepOriginals = on;
  outcome.done = on ? "The game's own files are kept when a folder replaces them."
                    : "The game's own files are no longer kept when a folder replaces them.";
  return outcome;
}

bool readDeployByLink(const FormState& state) {
  const auto value = readOption(state, kDeployKey);
  return value && equalsNoCase(*value, "link");
}

Outcome setDeployByLink(FormState& state, GameFolder& game, bool link) {
  const std::string word = link ? "link" : "copy";
  auto outcome = writeOption(state, game, kDeployKey, word, "deploy by " + word);
  if (!outcome.ok() || outcome.planned) return outcome;
  state.DeployByLink = link;
  outcome.done = link ? "Loads link the folders' files into the game folder."
                      : "Loads copy the folders' files into the game folder.";
  return outcome;
}

}  // namespace kvo
