#include "app/launcher.h"

#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

Outcome Launcher::Label28_Click(int index, const std::string& name) {
  if (name.empty()) {
    Outcome outcome;
    outcome.done = "Choose a program in the list first; nothing was started.";
    return outcome;
  }
  if (index == 1) shell_.minimise();
  const fs::path exe = state_.GameDir / nameToPath(name);
  std::string error;
  if (!shell_.startProgram(exe, state_.GameDir, error)) {
    // The selector stays open when nothing started, so the player can pick another program.
    while (!error.empty() && (error.back() == '.' || error.back() == ' ')) error.pop_back();
    if (error.empty()) error = "unknown error";
    return Outcome::refused("launch " + name,
                            "Could not start " + displayPath(exe) + ": " + error + ".",
                            Icon::Exclamation, "Launch");
  }
  if (index == 2) shell_.quit();
  Outcome outcome;
  outcome.action = "launch " + name;
  outcome.done = "Started " + name + ".";
  return outcome;
}

void Launcher::Command3_Click() {
  shell_.quit();
}

void Launcher::Command8_Click() {
  shell_.minimise();
}

}  // namespace kvo
