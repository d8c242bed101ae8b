// Start-up without a window on a large selector folder: 2,000 mod folders and 300 skin folders.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/selector.h"
#include "demo_game.h"

namespace {
namespace fs = std::filesystem;

class QuietShell final : public kvo::Shell {
 public:
  void message(std::string_view, kvo::Icon, std::string_view) override {}
  bool ask(std::string_view, std::string_view) override { return false; }
  void setCaption(std::string_view) override {}
  void progress(int, int) override {}
  std::string clipboardText() override { return {}; }
  void setClipboardText(std::string_view) override {}
  bool startProgram(const fs::path&, const fs::path&, std::string&) override { return false; }
  void minimise() override {}
  void quit() override {}
};

// The generated game folder, removed with everything in it at exit.
struct LargeGame {
  LargeGame()
      : dir(fs::temp_directory_path() / ("kvo-bench-startup-" + std::to_string(::getpid()))) {
    kvo::demo::DemoOptions options;
    options.bulkModFolders = 2000;
    options.bulkSkinFolders = 300;
    if (kvo::demo::writeDemoGameFolder(dir, options)) std::abort();
  }
  ~LargeGame() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path dir;
};

const fs::path& largeGame() {
  static const LargeGame game;
  return game.dir;
}

void BM_StartUp2000Folders300Skins(benchmark::State& state) {
  const auto& game = largeGame();
  QuietShell shell;
  int rows = 0;
  for (auto _ : state) {
    kvo::Selector selector(shell);
    if (selector.startUp(game) != kvo::StartupOutcome::Ready) std::abort();
    rows = selector.state.Unigrid.rows();
  }
  state.counters["folder_rows"] = rows;
}
BENCHMARK(BM_StartUp2000Folders300Skins)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
