#include "scripts/packages.h"

#include <array>
#include <optional>
#include <span>

#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "scripts/autoscripts.h"
#include "scripts/script_files.h"
#include "scripts/set_entries.h"
#include "state/core.h"

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
  const auto found = findNoCase(s_.state.SelectorDir, entry);
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

void Packages::GUPC_Click() {
  auto& st = s_.state;
  st.List9.clear();
  const fs::path newpic = existingFile(findNoCase(st.GameDir, "newpic"));
  st.Image4 = newpic;
  st.Label51.clear();
  const auto& name = st.GUPC.selectedText();
  if (name.empty()) return;
  std::string problem;
  const auto entries = readScriptEntries(scripts_.scriptsDir() / nameToPath(name), problem);
  if (!entries) {
    s_.shell.message(problem, Icon::Exclamation, "KVO");
    return;
  }
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
}

void Packages::List9_Click(int index) {
  auto& st = s_.state;
  st.List9.index = index;
  st.Label51.clear();
  const auto folder = entryFolder(st.List9.selectedText());
  if (folder.empty()) return;
  st.Image4 = firstPicture(folder, "*.jpg;*.bmp;mypic");
  const auto contents = findNoCase(folder, "contents.txt");
  if (!contents || !fileExists(*contents)) return;
  std::error_code ec;
  const auto lines = readTextLines(*contents, ec, read_limit::kDescription);
  if (!lines) {
    s_.shell.message(describeFailure("read", *contents, ec), Icon::Exclamation, "KVO");
    return;
  }
  st.Label51 = joinLinesCrLf(*lines);
}

void Packages::LoadPackage() {
  auto& st = s_.state;
  LoadRecord::Batch once(s_.record);
  if (st.Check1) resetAll_();
  if (st.Check2) {
    s_.shell.setClipboardText("");
    s_.shell.setClipboardText(st.GUPC.selectedText());
  }
  if (st.List9.items.empty()) return;
  // The first entry names the package (or describes it); it is never loaded from here.
  scripts_.ApplySet(std::span<const std::string>(st.List9.items).subspan(1));
  s_.record.RecordLoadedFolders();
}

void Packages::Label29_MouseMove() {
  auto& st = s_.state;
  if (st.GUPC.items.empty()) return;
  if (st.GUPC.selectedText() == st.Label29) return;
  // This selector is the one posting; picking its own name up again would load it twice.
  if (st.Check2) return;
  const std::string text = s_.shell.clipboardText();
  int match = -1;
  for (std::size_t i = 0; i < st.GUPC.items.size(); ++i) {
    if (st.GUPC.items[i] != text) continue;
    match = static_cast<int>(i);
    st.Label29 = "Loading " + text;
  }
  if (match >= 0) {
    st.GUPC.index = match;
    GUPC_Click();
    LoadPackage();
  } else {
    st.Label29 = st.AutoLoadCaption;
  }
  s_.shell.setClipboardText("");
}

}  // namespace kvo
