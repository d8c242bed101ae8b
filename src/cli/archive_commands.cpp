#include "archive/install.h"
#include "cli/commands.h"
#include "platform/listing.h"

namespace kvo {

namespace {

// Reads the options after the archive; false (exit 2) for one it does not know.
bool readInstallOptions(CommandContext& c, InstallRequest& request) {
  const auto words = c.args.subspan(1);
  for (std::size_t i = 0; i < words.size(); ++i) {
    const auto& word = words[i];
    const bool takesValue = word == "--category" || word == "--name";
    if (takesValue && i + 1 == words.size()) {
      c.err << "kvo: " << word << " needs a value\n";
      return false;
    }
    if (word == "--category") {
      request.category = words[++i];
    } else if (word == "--name") {
      request.name = words[++i];
    } else if (word == "--replace") {
      request.replace = true;
    } else {
      c.err << "kvo: unknown option \"" << word << "\"; see kvo --help\n";
      return false;
    }
  }
  return true;
}

int install(ModInstaller& installer, const FormState& state, CommandContext& c) {
  InstallRequest request;
  request.archive = nameToPath(c.args[0]);
  if (!readInstallOptions(c, request)) return kExitUsage;
  const auto result = installer.install(request);
  if (result.categoryUnknown) {
    c.err << result.outcome.failure << "\nThe categories of kvo.ini:\n";
    for (const auto& line : categoryList(state)) c.err << line << '\n';
    return kExitUsage;
  }
  const int status = c.report(result.outcome);
  if (!result.ok() || result.outcome.planned) return status;
  for (const auto& name : result.created) c.out << name << '\n';
  for (const auto& name : result.leftOut) c.err << "kvo: not installed: " << name << '\n';
  return status;
}

}  // namespace

std::vector<CommandSpec> archiveCommands() {
  return {
      {{"install"},
       1,
       6,
       "install ARCHIVE [--category CODE] [--name NAME] [--replace]",
       true,
       [](Selector& s, CommandContext& c) { return install(s.installer, s.state, c); }},
  };
}

}  // namespace kvo
