// Start-up without a window on a large selector folder: 2,000 mod folders and 300 skin folders.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/selector.h"
#include "bench_support.h"
#include "demo_game.h"

namespace {
namespace fs = std::filesystem;

// The generated game folder, removed with everything in it at exit.
const fs::path& largeGame() {
  static const kvo::bench::ScratchFolder root("kvo-bench-startup");
  static const fs::path game = [] {
    kvo::demo::DemoOptions options;
    options.bulkModFolders = 2000;
    options.bulkSkinFolders = 300;
    if (kvo::demo::writeDemoGameFolder(root.dir() / "EAW", options)) std::abort();
    return root.dir() / "EAW";
  }();
  return game;
}

void BM_StartUp2000Folders300Skins(benchmark::State& state) {
  const auto& game = largeGame();
  kvo::bench::QuietShell shell;
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
