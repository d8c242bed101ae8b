#include "scripts/autoscripts.h"

#include "platform/listing.h"
#include "scripts/script_files.h"

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
  return resolveNoCase(state_.SelectorDir, "Autoscripts");
}

void Autoscripts::refreshScriptLists() {
  const auto dir = scriptsDir();
  relist(state_.GUPC, listFiles(dir, "*.set"));
  relist(state_.File10, listFiles(dir, "*"));
}

std::string Autoscripts::nameProblem(const std::string& fileName) const {
  const auto problem = scriptNameProblem(fileName);
  if (problem.empty()) return {};
  return "The autoscript cannot be saved as \"" + fileName + "\": " + problem + ".";
}

Outcome Autoscripts::SaveAutoscript(const std::string& name, const std::string& text,
                                    bool overwrite) {
  state_.SetWarnVisible = false;
  const std::string fileName = name + ".set";
  GameChange change(state_, "save autoscript " + fileName);
  if (auto problem = nameProblem(fileName); !problem.empty()) {
    return Outcome::refused(change.action(), problem, Icon::Exclamation);
  }
  // Listed afresh: a script put there since start-up must not be overwritten unasked.
  refreshScriptLists();
  const std::string wanted = toUpperAscii(fileName);
  bool exists = false;
  for (const auto& entry : state_.GUPC.items) exists = exists || toUpperAscii(entry) == wanted;
  if (exists && !overwrite) {
    state_.SetWarnVisible = true;
    auto asked = Outcome::refused(change.action(), "There is already an autoscript with this name");
    asked.awaitsAnswer = true;
    return asked;
  }
  change.setNotDone("The autoscript " + fileName + " was not saved");
  // An existing script is replaced under the spelling it has, not doubled in another case.
  change.replaceWith(resolveNoCase(scriptsDir(), fileName), text + "\r\n");
  auto outcome = game_.commit(change);
  refreshScriptLists();
  if (outcome.ok()) outcome.done = "Saved the autoscript " + fileName + ".";
  return outcome;
}

Outcome Autoscripts::OverwritePrompt(int index, const std::string& name, const std::string& text) {
  Outcome outcome;
  if (index == 0) {
    outcome = SaveAutoscript(name, text, true);
  } else {
    outcome.done = "Kept the autoscript " + name + ".set as it was.";
  }
  state_.SetWarnVisible = false;
  return outcome;
}

}  // namespace kvo
