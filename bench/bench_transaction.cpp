// A load and an unload through the file transaction, journal and setting aside included,
// side by side with cp and rm of the same 2,000 files in a game folder of 20,000. Runs in
// /dev/shm where there is one, so that the disk's speed does not hide the program's.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "transaction/transaction.h"

namespace {
namespace fs = std::filesystem;

constexpr int kModFiles = 2000;
constexpr int kGameFiles = 20000;

fs::path scratchBase() {
  std::error_code ec;
  if (fs::is_directory("/dev/shm", ec)) return "/dev/shm";
  return fs::temp_directory_path();
}

void writeBytes(const fs::path& file, std::size_t size, char fill) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  const std::string bytes(size, fill);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) std::abort();
}

void run(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::abort();
}

// The game folder of 20,000 small files and a mod folder of 2,000 x 64 KiB, made once.
struct Game {
  Game() : root(scratchBase() / ("kvo-bench-transaction-" + std::to_string(KVO_BENCH_PID))) {
    fs::remove_all(root);
    fs::create_directories(mod);
    for (int i = 0; i < kGameFiles; ++i) {
      writeBytes(game / ("game" + std::to_string(100000 + i) + ".dat"), 256, 'g');
    }
    writeBytes(record, 0, ' ');
    for (int i = 0; i < kModFiles; ++i) {
      const auto name = "load" + std::to_string(10000 + i) + ".dat";
      writeBytes(mod / name, 64 * 1024, char('a' + i % 26));
      sources.push_back(mod / name);
      targets.push_back(game / name);
    }
  }
  ~Game() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  void removeCopies() const {
    for (const auto& target : targets) fs::remove(target);
  }
  void copyIn() const { run("cp '" + mod.string() + "/'* '" + game.string() + "/'"); }

  fs::path root;
  fs::path game = root / "EAW";
  fs::path mod = game / "KVO128" / "Z-Bench";
  fs::path record = game / "KVO128" / "FoldersLoaded.txt";
  fs::path journal = kvo::journalFileIn(game / "KVO128");
  std::vector<fs::path> sources;
  std::vector<fs::path> targets;
};

const Game& game() {
  static const Game instance;
  return instance;
}

void load(const Game& g) {
  kvo::FileTransaction t(g.game, g.journal);
  for (std::size_t i = 0; i < g.sources.size(); ++i) t.copyOver(g.sources[i], g.targets[i]);
  t.replaceWith(g.record, "Z-Bench\r\n");
  if (!t.commit().ok() || !t.finish().empty()) std::abort();
}

void unload(const Game& g) {
  kvo::FileTransaction t(g.game, g.journal);
  for (const auto& target : g.targets) t.remove(target, kvo::StepPolicy::BestEffort);
  t.replaceWith(g.record, "");
  const auto report = t.commit();
  if (!report.ok() || !report.skipped.empty() || !t.finish().empty()) std::abort();
}

// Loads into a game folder that lacks the mod's files, or (`overwriting`) holds them all.
void timeLoad(benchmark::State& state, bool transaction, bool overwriting) {
  const auto& g = game();
  for (auto _ : state) {
    state.PauseTiming();
    g.removeCopies();
    if (overwriting) g.copyIn();
    state.ResumeTiming();
    if (transaction) {
      load(g);
    } else {
      g.copyIn();
    }
  }
  g.removeCopies();
}

void BM_TransactionLoad2000x64KiB(benchmark::State& state) {
  timeLoad(state, true, false);
}
BENCHMARK(BM_TransactionLoad2000x64KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_CpLoad2000x64KiB(benchmark::State& state) {
  timeLoad(state, false, false);
}
BENCHMARK(BM_CpLoad2000x64KiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_TransactionLoadOverwriting2000x64KiB(benchmark::State& state) {
  timeLoad(state, true, true);
}
BENCHMARK(BM_TransactionLoadOverwriting2000x64KiB)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

void BM_CpLoadOverwriting2000x64KiB(benchmark::State& state) {
  timeLoad(state, false, true);
}
BENCHMARK(BM_CpLoadOverwriting2000x64KiB)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

void BM_TransactionUnload2000(benchmark::State& state) {
  const auto& g = game();
  for (auto _ : state) {
    state.PauseTiming();
    g.copyIn();
    state.ResumeTiming();
    unload(g);
  }
}
BENCHMARK(BM_TransactionUnload2000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_RmUnload2000(benchmark::State& state) {
  const auto& g = game();
  for (auto _ : state) {
    state.PauseTiming();
    g.copyIn();
    state.ResumeTiming();
    run("rm -f '" + g.game.string() + "/'load1*.dat");
  }
}
BENCHMARK(BM_RmUnload2000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
