#include "state/outcome.h"

#include <array>

namespace kvo {

namespace {

std::string_view stepWord(StepKind kind) {
  switch (kind) {
    case StepKind::Copy:
      return "copy";
    case StepKind::Remove:
      return "delete";
    case StepKind::Rename:
      return "rename";
    case StepKind::Replace:
      return "write";
    case StepKind::CreateFolder:
      return "folder";
  }
  return "";
}

std::string stepLine(const ChangedFile& file) {
  std::string line(stepWord(file.kind));
  switch (file.kind) {
    case StepKind::Copy:
      return line + '\t' + file.file + '\t' + file.from;
    case StepKind::Rename:
      return line + '\t' + file.from + '\t' + file.file;
    default:
      return line + '\t' + file.file;
  }
}

}  // namespace

std::size_t Changes::count(StepKind kind) const {
  std::size_t n = 0;
  for (const auto& file : files) n += file.kind == kind;
  return n;
}

std::string Changes::counts() const {
  constexpr std::array<std::pair<StepKind, std::string_view>, 5> kCounted = {{
      {StepKind::Copy, " copied"},
      {StepKind::Remove, " deleted"},
      {StepKind::Rename, " renamed"},
      {StepKind::Replace, " written"},
      {StepKind::CreateFolder, " folder(s) made"},
  }};
  std::string text;
  for (const auto& [kind, word] : kCounted) {
    if (const auto n = count(kind)) {
      text += (text.empty() ? "" : ", ") + std::to_string(n) + std::string(word);
    }
  }
  return text.empty() ? "no file changed" : text;
}

std::vector<std::string> Changes::lines() const {
  std::vector<std::string> lines;
  for (const auto& file : files) {
    if (file.kind != StepKind::CreateFolder) lines.push_back(stepLine(file));
  }
  for (const auto& mark : marks) {
    lines.push_back("mark\t" + mark.grid + '\t' + mark.name + '\t' + (mark.loaded ? "S" : "-"));
  }
  return lines;
}

std::vector<std::string> Changes::loaded() const {
  std::vector<std::string> names;
  for (const auto& mark : marks) {
    if (mark.loaded) names.push_back(mark.name);
  }
  return names;
}

std::vector<std::string> Changes::unloaded() const {
  std::vector<std::string> names;
  for (const auto& mark : marks) {
    if (!mark.loaded) names.push_back(mark.name);
  }
  return names;
}

int Outcome::exitStatus() const {
  return ok() && passedOver.empty() ? kExitDone : kExitFailed;
}

Outcome Outcome::refused(std::string action, std::string why, Icon icon, std::string title) {
  Outcome outcome;
  outcome.action = std::move(action);
  outcome.failure = std::move(why);
  outcome.icon = icon;
  outcome.title = std::move(title);
  return outcome;
}

std::string nameList(const std::vector<std::string>& names, std::size_t shown) {
  std::string text;
  for (std::size_t i = 0; i < names.size() && i < shown; ++i) {
    text += (i ? ", " : "") + names[i];
  }
  if (names.size() > shown) text += " and " + std::to_string(names.size() - shown) + " more";
  return text;
}

std::string selectionSentence(const Changes& changes) {
  std::string text;
  if (const auto gone = changes.unloaded(); !gone.empty())
    text = "Unloaded " + nameList(gone) + ".";
  if (const auto come = changes.loaded(); !come.empty()) {
    text += (text.empty() ? "Loaded " : " Loaded ") + nameList(come) + ".";
  }
  return text;
}

int report(const Outcome& outcome, Shell& shell) {
  if (!outcome.ok()) {
    // The status line is one line; the box says the rest.
    shell.status(outcome.failure.substr(0, outcome.failure.find_first_of("\r\n")));
    shell.message(outcome.failure, outcome.icon, outcome.title);
  } else if (!outcome.done.empty()) {
    shell.status(outcome.done);
  }
  outcome.passedOver.report(shell, outcome.passedOverHeading, Icon::Critical);
  if (!outcome.notice.empty()) shell.message(outcome.notice, Icon::Information, "KVO");
  return outcome.exitStatus();
}

}  // namespace kvo
