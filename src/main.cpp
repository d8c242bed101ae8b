#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

#ifdef KVO_WITH_UI
#include "ui/run_window.h"
#ifdef _WIN32
#include "parent_console.h"
#endif
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::error_code ec;
  const auto arguments = kvo::parseCliArguments(args, std::filesystem::current_path(ec));
#if defined(KVO_WITH_UI) && defined(_WIN32)
  // What prints goes to the console the command was typed in; the window alone stays free of
  // it, so that closing that console does not close the window.
  const bool opensWindow = arguments.usageError.empty() && !arguments.help && !arguments.version &&
                           arguments.words.empty();
  if (!opensWindow) kvo::useParentConsole();
#endif
  if (!arguments.usageError.empty()) {
    std::cerr << "kvo: " << arguments.usageError << '\n';
    return kvo::kExitUsage;
  }
  if (arguments.help) {
    std::cout << kvo::cliUsage();
    return kvo::kExitDone;
  }
  if (arguments.version) {
    std::cout << "kvo " << KVO_VERSION << '\n';
    return kvo::kExitDone;
  }
  if (arguments.words.empty()) {
#ifdef KVO_WITH_UI
    return kvo::runSelectorWindow(argc, argv, arguments.gameDir, arguments.askGameDir);
#else
    std::cerr << "kvo: this build has no window; give a command (see kvo --help)\n";
    return kvo::kExitUsage;
#endif
  }
  return kvo::runCliCommand(arguments, std::cout, std::cerr);
}
