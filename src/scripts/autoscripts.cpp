#include "scripts/autoscripts.h"

#include "platform/listing.h"
#include "scripts/script_files.h"
#include "state/core.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Fills a file list again; the entry that was selected stays selected while it is there.
void relist(ListBox& list, std::vector<std::string> names) {
  const std::string selected = list.selectedText();
  list.items = std::move(names);
  list.index = -1;
  for (std::size_t i = 0; i < list.items.size() && !selected.empty(); ++i) {
    if (list.items[i] == selected) list.index = static_cast<int>(i);
  }
}

}  // namespace

fs::path Autoscripts::scriptsDir() const {
  return resolveNoCase(s_.state.SelectorDir, "Autoscripts");
}

void Autoscripts::refreshScriptLists() {
  const auto dir = scriptsDir();
  relist(s_.state.GUPC, listFiles(dir, "*.set"));
  relist(s_.state.File10, listFiles(dir, "*"));
}

bool Autoscripts::nameUsable(const std::string& fileName) {
  const auto problem = scriptNameProblem(fileName);
  if (problem.empty()) return true;
  s_.shell.message("The autoscript cannot be saved as \"" + fileName + "\": " + problem + ".",
                   Icon::Exclamation, "KVO");
  return false;
}

void Autoscripts::SaveAutoscript() {
  auto& st = s_.state;
  st.SetWarnVisible = false;
  const std::string fileName = st.Text1 + ".set";
  if (!nameUsable(fileName)) return;
  // Listed afresh: a script put there since start-up must not be overwritten unasked.
  refreshScriptLists();
  const std::string wanted = toUpperAscii(fileName);
  for (const auto& entry : st.GUPC.items) {
    if (toUpperAscii(entry) == wanted) st.SetWarnVisible = true;
  }
  if (!st.SetWarnVisible) WriteScript();
}

void Autoscripts::OverwritePrompt(int index) {
  if (index == 0) WriteScript();
  s_.state.SetWarnVisible = false;
}

void Autoscripts::WriteScript() {
  const auto& st = s_.state;
  const std::string fileName = st.Text1 + ".set";
  if (!nameUsable(fileName)) return;
  // An existing script is replaced under the spelling it has, not doubled in another case.
  const auto failure = writeScriptFile(s_, resolveNoCase(scriptsDir(), fileName), st.Text2 + "\r\n");
  refreshScriptLists();
  if (!failure.empty()) s_.shell.message(failure, Icon::Critical, "KVO");
}

}  // namespace kvo
