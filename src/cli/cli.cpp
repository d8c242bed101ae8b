#include "cli/cli.h"

#include <sstream>

#include "cli/cli_shell.h"
#include "cli/commands.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

// The folder picker belongs to the window: a menu entry that asks for the folder must not
// quietly run a command, or open a folder it was not asked about.
static std::string askGameDirConflict(const CliArguments& parsed, bool gameDirGiven) {
  if (gameDirGiven) return "--ask-game-dir and --game-dir cannot be used together";
  if (!parsed.words.empty()) return "--ask-game-dir is for the window only";
  return "";
}

CliArguments parseCliArguments(const std::vector<std::string>& args, const fs::path& currentDir) {
  CliArguments parsed;
  parsed.gameDir = currentDir;
  bool gameDirGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const auto& arg = args[i];
    if (arg == "--game-dir") {
      if (i + 1 == args.size()) {
        parsed.usageError = "--game-dir needs a folder";
        return parsed;
      }
      parsed.gameDir = nameToPath(args[++i]);
      gameDirGiven = true;
    } else if (arg == "--include-flt") {
      parsed.includeFlt = true;
    } else if (arg == "--dry-run") {
      parsed.dryRun = true;
    } else if (arg == "--ask-game-dir") {
      parsed.askGameDir = true;
    } else if (arg == "--help") {
      parsed.help = true;
    } else if (arg == "--version") {
      parsed.version = true;
    } else {
      parsed.words.push_back(arg);
    }
  }
  if (parsed.askGameDir && !parsed.help && !parsed.version) {
    parsed.usageError = askGameDirConflict(parsed, gameDirGiven);
  }
  return parsed;
}

std::string cliUsage() {
  std::ostringstream text;
  text << "Usage: kvo [--game-dir DIR] [--include-flt] [--dry-run] [COMMAND [ARGS]]\n"
          "       kvo --ask-game-dir\n"
          "       kvo --help | --version\n"
          "Without a command, opens the selector window on the game folder.\n\n"
          "Options:\n"
          "  --game-dir DIR  use DIR as the game folder instead of the current folder\n"
          "  --include-flt   include flt files in the skin operations of this command\n"
          "  --dry-run       print what a command that changes files would do, and change nothing\n"
          "  --ask-game-dir  open the window on a game folder chosen in a folder picker\n"
          "  --help          print this text\n"
          "  --version       print the version\n\nCommands:\n";
  for (const auto& command : allCommands()) text << "  " << command.usage << '\n';
  return text.str();
}

namespace {

// The command whose words begin `words`, longest first, or nullptr.
const CommandSpec* findCommand(const std::vector<std::string>& words) {
  const CommandSpec* best = nullptr;
  for (const auto& command : allCommands()) {
    if (command.words.size() > words.size()) continue;
    if (!std::equal(command.words.begin(), command.words.end(), words.begin())) continue;
    if (!best || command.words.size() > best->words.size()) best = &command;
  }
  return best;
}

int runStartedCommand(const CommandSpec& command, const CliArguments& arguments, std::ostream& out,
                      std::ostream& err) {
  CliShell shell(err);
  Selector selector(shell);
  const auto outcome = selector.startUp(arguments.gameDir);
  if (outcome != StartupOutcome::Ready) return startupExitStatus(outcome);
  if (!selector.startupNote().empty()) err << "kvo: " << selector.startupNote() << '\n';
  selector.state.Check5 = arguments.includeFlt;
  const bool dryRun = arguments.dryRun && command.changesFiles;
  selector.game.setDryRun(dryRun);
  CommandContext context{
      std::span<const std::string>(arguments.words).subspan(command.words.size()), out, err, shell,
      dryRun};
  return command.run(selector, context);
}

}  // namespace

int runCliCommand(const CliArguments& arguments, std::ostream& out, std::ostream& err) {
  const CommandSpec* command = findCommand(arguments.words);
  if (!command) {
    err << "kvo: unknown command \"" << arguments.words.at(0) << "\"; see kvo --help\n";
    return kExitUsage;
  }
  const auto argCount = static_cast<int>(arguments.words.size() - command->words.size());
  if (argCount < command->minArgs || (command->maxArgs >= 0 && argCount > command->maxArgs)) {
    err << "kvo: usage: kvo " << command->usage << '\n';
    return kExitUsage;
  }
  try {
    return runStartedCommand(*command, arguments, out, err);
  } catch (const std::exception& error) {
    err << "kvo: unexpected error: " << error.what() << '\n';
  } catch (...) {
    err << "kvo: unexpected error\n";
  }
  return kExitFailed;
}

}  // namespace kvo
