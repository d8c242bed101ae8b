#include "platform/on_cores.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace kvo {

namespace {

// Below this a helper costs more to start than it saves.
constexpr std::size_t kJobsWorthHelping = 16;
// More file operations at once than this only fight over the disk.
constexpr unsigned kMostAtOnce = 4;

// None for a few file operations, one less than the cores (at most four copies at once)
// for many.
unsigned helperThreadsFor(std::size_t jobs) {
  if (jobs < kJobsWorthHelping) return 0;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  return std::min(cores, kMostAtOnce) - 1;
}

}  // namespace

std::vector<std::thread> startHelpers(std::size_t jobs, const std::function<void()>& work) {
  std::vector<std::thread> helpers;
  try {
    for (unsigned i = helperThreadsFor(jobs); i > 0; --i) helpers.emplace_back(work);
  } catch (const std::system_error&) {
    // No more threads to be had: those started and the caller do it all.
  }
  return helpers;
}

void forEachOnCores(std::size_t count, const std::function<void(std::size_t, bool)>& work) {
  std::atomic<std::size_t> cursor{0};
  const auto run = [&](bool onCaller) {
    for (std::size_t n = cursor.fetch_add(1); n < count; n = cursor.fetch_add(1)) {
      work(n, onCaller);
    }
  };
  auto helpers = startHelpers(count, [&run] { run(false); });
  run(true);
  for (auto& helper : helpers) helper.join();
}

}  // namespace kvo
