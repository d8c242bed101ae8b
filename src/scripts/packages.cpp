#include "scripts/packages.h"

#include <array>
#include <optional>
#include <span>

#include "planes/alt_planes.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "scripts/autoscripts.h"
#include "scripts/script_files.h"
#include "scripts/set_entries.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Main screens, complete sets, single missions, careers: the folders that carry a package's
// picture, tried in this order for each entry.
constexpr std::array<char, 4> kPictureCodes = {'B', 'W', 'Q', 'C'};

bool startsWithCode(const std::string& entry, char code) {
  return entry.size() >= 2 && entry[0] == code && (entry[1] == '-' || entry[1] == ' ');
}

fs::path existingFile(const std::optional<fs::path>& found) {
  return found && fileExists(*found) ? *found : fs::path();
}

}  // namespace

fs::path Packages::entryFolder(const std::string& entry) const {
  // "." and ".." would name the selector folder or the game folder themselves.
  if (entry.empty() || entry == "." || entry == "..") return {};
  const auto found = findNoCase(state_.SelectorDir, entry);
  return found && folderExists(*found) ? *found : fs::path();
}

fs::path Packages::firstPicture(const fs::path& folder, const char* patterns) const {
  const auto names = listFiles(folder, patterns);
  return names.empty() ? fs::path() : folder / nameToPath(names.front());
}

void Packages::lookForPicture(const std::string& entry, fs::path& picture) const {
  for (const char code : kPictureCodes) {
    if (!picture.empty()) return;
    if (!startsWithCode(entry, code)) continue;
    // ".pic" is a file of exactly that name, not every "*.pic".
    if (const auto folder = entryFolder(entry); !folder.empty()) {
      picture = firstPicture(folder, ".pic;*.jpg;*.bmp;mypic");
    }
  }
}

Outcome Packages::GUPC_Click(const std::string& file) {
  auto& st = state_;
  st.List9.clear();
  st.PackagePlan.clear();
  const fs::path newpic = existingFile(findNoCase(st.GameDir, "newpic"));
  st.Image4 = newpic;
  st.Label51.clear();
  if (file.empty()) return {};
  std::string problem;
  const auto entries = readScriptEntries(scripts_.scriptsDir() / nameToPath(file), problem);
  if (!entries) return Outcome::refused("preview " + file, problem, Icon::Exclamation);
  std::string description;
  bool described = false;
  fs::path picture;
  for (const auto& raw : *entries) {
    if (raw.starts_with("*****")) described = true;
    if (!described) description += raw + "\r\n";
    const auto entry = entryName(raw);
    st.List9.items.push_back(entry);
    lookForPicture(entry, picture);
  }
  st.Image4 = picture.empty() ? newpic : picture;
  st.Label51 = description;
  const DryRun dry(game_);
  st.PackagePlan = setPlanSummary(LoadPackage(file, false, false));
  return {};
}

Outcome Packages::List9_Click(const std::string& entry) {
  auto& st = state_;
  st.Label51.clear();
  const auto folder = entryFolder(entry);
  if (folder.empty()) return {};
  st.Image4 = firstPicture(folder, "*.jpg;*.bmp;mypic");
  const auto contents = findNoCase(folder, "contents.txt");
  if (!contents || !fileExists(*contents)) return {};
  std::error_code ec;
  const auto lines = readTextLines(*contents, ec, read_limit::kDescription);
  if (!lines) {
    return Outcome::refused("preview " + entry, describeFailure("read", *contents, ec),
                            Icon::Exclamation);
  }
  st.Label51 = joinLinesCrLf(*lines);
  return {};
}

Outcome Packages::LoadPackage(const std::string& file, bool reset, bool post) {
  const std::string action = "load package " + file;
  std::string problem;
  const auto entries = readScriptEntries(scripts_.scriptsDir() / nameToPath(file), problem);
  if (!entries) return Outcome::refused(action, problem);
  std::vector<std::string> names;
  for (const auto& entry : *entries) names.push_back(entryName(entry));
  // The first entry names the package (or describes it); it is never loaded from here.
  const auto replayed = names.empty() ? std::span<const std::string>()
                                      : std::span<const std::string>(names).subspan(1);
  auto outcome = scripts_.ApplySet(replayed, action, reset ? planResetAll_ : nullptr);
  if (post && outcome.ok() && !outcome.planned) {
    shell_.setClipboardText("");
    shell_.setClipboardText(file);
    outcome.done += (outcome.done.empty() ? "" : " ") + std::string("Put ") + file +
                    " on the clipboard to post online.";
  }
  return outcome;
}

Outcome Packages::Label29_MouseMove(bool reset, bool posting) {
  auto& st = state_;
  if (st.GUPC.items.empty()) return {};
  if (st.GUPC.selectedText() == st.Label29) return {};
  // This selector is the one posting; picking its own name up again would load it twice.
  if (posting) return {};
  const std::string text = shell_.clipboardText();
  int match = -1;
  for (std::size_t i = 0; i < st.GUPC.items.size(); ++i) {
    if (st.GUPC.items[i] != text) continue;
    match = static_cast<int>(i);
    st.Label29 = "Loading " + text;
  }
  if (match < 0) {
    // Text the player copied for anything else stays theirs.
    st.Label29 = st.AutoLoadCaption;
    return {};
  }
  st.GUPC.index = match;
  GUPC_Click(text);
  auto outcome = LoadPackage(text, reset, false);
  // Taken only once the name is used, so that the online client's hand-over is not read twice.
  shell_.setClipboardText("");
  return outcome;
}

}  // namespace kvo
