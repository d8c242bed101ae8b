#include "engine/keep_originals.h"

#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kKey = "KeepOriginals=";

bool isKeepLine(std::string_view line) {
  return line.size() >= kKey.size() && equalsNoCase(line.substr(0, kKey.size()), kKey);
}

}  // namespace

fs::path optionsPath(const FormState& state) {
  return state.SelectorDir / nameToPath(kOptionsName);
}

bool readKeepOriginals(const FormState& state) {
  std::error_code ec;
  const auto lines = readTextLines(optionsPath(state), ec, read_limit::kOptions);
  if (!lines) return false;
  bool on = false;
  for (const auto& line : *lines) {
    if (isKeepLine(line)) on = equalsNoCase(line.substr(kKey.size()), "on");
  }
  return on;
}

Outcome setKeepOriginals(FormState& state, GameFolder& game, bool on) {
  std::error_code ec;
  // Lines of other options, from a later version perhaps, stay as they are.
  auto lines = readTextLines(optionsPath(state), ec, read_limit::kOptions)
                   .value_or(std::vector<std::string>{});
  std::erase_if(lines, [](const std::string& line) { return isKeepLine(line); });
  lines.push_back(std::string(kKey) + (on ? "on" : "off"));
  GameChange change(state, std::string("keep originals ") + (on ? "on" : "off"));
  change.replaceWith(optionsPath(state), joinLinesCrLf(lines));
  auto outcome = game.commit(change);
  if (!outcome.ok() || outcome.planned) return outcome;
  state.KeepOriginals = on;
  outcome.done = on ? "The game's own files are kept when a folder replaces them."
                    : "The game's own files are no longer kept when a folder replaces them.";
  return outcome;
}

}  // namespace kvo
