#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

#ifdef KVO_WITH_UI
#include "ui/run_window.h"
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::error_code ec;
  const auto arguments = kvo::parseCliArguments(args, std::filesystem::current_path(ec));
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
