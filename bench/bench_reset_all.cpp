// Reset All on a game folder of 20,000 loose files, half of which the clean-up sweeps away,
// against a clean-up that lists the folder once per pattern.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/selector.h"
#include "bench_support.h"
#include "demo_game.h"
#include "engine/clean_up.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace {
namespace fs = std::filesystem;

constexpr int kSweptFiles = 10000;
constexpr int kKeptFiles = 10000;

std::string numbered(const char* stem, int number, const char* extension) {
  char name[48];
  std::snprintf(name, sizeof name, "%s%05d.%s", stem, number, extension);
  return name;
}

void writeFiles(const fs::path& game, const char* stem, int count, const char* extension) {
  for (int i = 0; i < count; ++i) std::ofstream(game / numbered(stem, i, extension)) << i;
}

// A demo game folder with the kept files already in place; the swept ones come per run.
fs::path prepareGame() {
  const fs::path game = fs::temp_directory_path() / "kvo_bench_reset_all";
  fs::remove_all(game);
  if (kvo::demo::writeDemoGameFolder(game)) std::abort();
  writeFiles(game, "keep", kKeptFiles, "sav");
  return game;
}

void BM_ResetAll(benchmark::State& state) {
  const fs::path game = prepareGame();
  kvo::bench::QuietShell shell;
  kvo::Selector selector(shell);
  selector.startUp(game);
  for (auto _ : state) {
    state.PauseTiming();
    writeFiles(game, "extra", kSweptFiles, "tpc");
    state.ResumeTiming();
    selector.reset.Command1_Click();
  }
  state.counters["files"] = kSweptFiles + kKeptFiles;
  fs::remove_all(game);
}

// The obvious way: one listing of the game folder for each of the clean-up's patterns.
void BM_CleanUpListingPerPattern(benchmark::State& state) {
  const fs::path game = prepareGame();
  const std::string patterns(kvo::kBuiltInCleanUpPatterns);
  for (auto _ : state) {
    state.PauseTiming();
    writeFiles(game, "extra", kSweptFiles, "tpc");
    state.ResumeTiming();
    std::size_t start = 0;
    while (start <= patterns.size()) {
      const auto end = std::min(patterns.find(';', start), patterns.size());
      for (const auto& name : kvo::listFiles(game, patterns.substr(start, end - start))) {
        if (!kvo::isProtectedFromCleanUp(name)) kvo::deleteFile(game / name);
      }
      start = end + 1;
    }
  }
  fs::remove_all(game);
}

BENCHMARK(BM_ResetAll)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CleanUpListingPerPattern)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
