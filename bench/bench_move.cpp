// Loading and unloading a large mod folder by a click, against cp and rm on the same files, and
// the unload against looking every name up with a listing of its own.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/selector.h"
#include "bench_support.h"
#include "demo_game.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace {
namespace fs = std::filesystem;

constexpr int kModFiles = 2000;

const fs::path& benchRoot() {
  static const kvo::bench::ScratchFolder root("kvo-bench-move");
  return root.dir();
}

void writeBytes(const fs::path& file, std::size_t size, char fill) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  const std::string bytes(size, fill);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string fileName(int i) {
  return "load" + std::to_string(10000 + i) + ".dat";
}

// A demo game folder with `gameFiles` extra loose files and a mod folder "Z-Bench" of
// 2,000 files of `fileSize` bytes.
fs::path makeGame(const std::string& name, int gameFiles, std::size_t fileSize) {
  const auto game = benchRoot() / name;
  kvo::demo::DemoOptions options;
  options.bulkGameFiles = gameFiles;
  if (kvo::demo::writeDemoGameFolder(game, options)) std::abort();
  const auto mod = game / "KVO128" / "Z-Bench";
  fs::create_directories(mod);
  for (int i = 0; i < kModFiles; ++i) writeBytes(mod / fileName(i), fileSize, char('a' + i % 26));
  return game;
}

void run(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::abort();
}

void removeCopies(const fs::path& game) {
  for (int i = 0; i < kModFiles; ++i) fs::remove(game / fileName(i));
}

void copyIn(const fs::path& game) {
  run("cp '" + game.string() + "/KVO128/Z-Bench/'* '" + game.string() + "/'");
}

struct Started {
  explicit Started(const fs::path& game) : selector(shell) {
    if (selector.startUp(game) != kvo::StartupOutcome::Ready) std::abort();
  }
  // Clicks the bench folder's row: loads it, or unloads it when it is loaded.
  void click() {
    const int row = selector.state.Unigrid.findRow(1, "Z-Bench");
    if (row < 1 || !selector.engine.Unigrid_Click(row).ok()) std::abort();
  }
  kvo::bench::QuietShell shell;
  kvo::Selector selector;
};

const fs::path& copyGame() {
  static const fs::path game = makeGame("copy", 0, 64 * 1024);
  return game;
}

void BM_Load2000x64KiB(benchmark::State& state) {
  const auto& game = copyGame();
  Started started(game);
  for (auto _ : state) {
    started.click();
    state.PauseTiming();
    started.click();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Load2000x64KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_Cp2000x64KiB(benchmark::State& state) {
  const auto& game = copyGame();
  for (auto _ : state) {
    state.PauseTiming();
    removeCopies(game);
    state.ResumeTiming();
    copyIn(game);
  }
  removeCopies(game);
}
BENCHMARK(BM_Cp2000x64KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Times the unload of the bench folder, loading it again untimed before each run.
void timeUnload(benchmark::State& state, const fs::path& game) {
  Started started(game);
  for (auto _ : state) {
    state.PauseTiming();
    started.click();
    state.ResumeTiming();
    started.click();
  }
}

void BM_Unload2000x64KiB(benchmark::State& state) {
  timeUnload(state, copyGame());
}
BENCHMARK(BM_Unload2000x64KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_Rm2000x64KiB(benchmark::State& state) {
  const auto& game = copyGame();
  for (auto _ : state) {
    state.PauseTiming();
    copyIn(game);
    state.ResumeTiming();
    run("rm -f '" + game.string() + "/'load1*.dat");
  }
}
BENCHMARK(BM_Rm2000x64KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

const fs::path& bigGame() {
  static const fs::path game = makeGame("big", 20000, 256);
  return game;
}

// Unloading 2,000 files from a game folder of 20,000: one listing per target folder.
void BM_UnloadFrom20000(benchmark::State& state) {
  timeUnload(state, bigGame());
}
BENCHMARK(BM_UnloadFrom20000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// The same unload the way the old file list did it: the game folder listed again, with the
// name as its pattern, for every file of the mod folder.
void BM_ListingPerFileFrom20000(benchmark::State& state) {
  const auto& game = bigGame();
  for (auto _ : state) {
    state.PauseTiming();
    copyIn(game);
    state.ResumeTiming();
    for (const auto& name : kvo::listFiles(game / "KVO128" / "Z-Bench", "*.*")) {
      const auto found = kvo::listFiles(game, name);
      if (found.size() == 1) kvo::deleteFile(game / found.front());
    }
  }
}
BENCHMARK(BM_ListingPerFileFrom20000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
