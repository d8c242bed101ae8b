#include "app/launcher.h"

#include <string>

#include "platform/file_ops.h"
#include "platform/listing.h"
#include "state/core.h"

namespace kvo {
namespace fs = std::filesystem;

void Launcher::Label28_Click(int index) {
  const auto& st = s_.state;
  const std::string& name = st.List6.selectedText();
  if (name.empty()) return;
  if (index == 1) s_.shell.minimise();
  const fs::path exe = st.GameDir / nameToPath(name);
  std::string error;
  if (!s_.shell.startProgram(exe, st.GameDir, error)) {
    // The selector stays open when nothing started, so the player can pick another program.
    while (!error.empty() && (error.back() == '.' || error.back() == ' ')) error.pop_back();
    if (error.empty()) error = "unknown error";
    s_.shell.message("Could not start " + displayPath(exe) + ": " + error + ".", Icon::Exclamation,
                     "Launch");
    return;
  }
  if (index == 2) s_.shell.quit();
}

void Launcher::Command3_Click() {
  s_.shell.quit();
}

void Launcher::Command8_Click() {
  s_.shell.minimise();
}

}  // namespace kvo
