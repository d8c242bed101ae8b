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

bool setKeepOriginals(Core& core, bool on) {
  auto& st = core.state;
  std::error_code ec;
  // Lines of other options, from a later version perhaps, stay as they are.
  auto lines =
      readTextLines(optionsPath(st), ec, read_limit::kOptions).value_or(std::vector<std::string>{});
  std::erase_if(lines, [](const std::string& line) { return isKeepLine(line); });
  lines.push_back(std::string(kKey) + (on ? "on" : "off"));
  GameChange change(core);
  change.replaceWith(optionsPath(st), joinLinesCrLf(lines));
  Problems problems;
  if (!change.commit(problems)) {
    core.shell.message(change.failure(), Icon::Critical, "KVO");
    return false;
  }
  st.KeepOriginals = on;
  return true;
}

}  // namespace kvo
