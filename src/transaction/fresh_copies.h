#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace kvo {

// Writes the new files of a transaction's copy steps under their temporary names ahead of
// the steps themselves, on helper threads, so that a load of thousands of files is not held
// to one core. The steps still place the files, set old ones aside and fail in their own
// order: take(n) hands over copy n when its step comes, copying it there and then when no
// helper has got to it yet.
class FreshCopies final {
 public:
  // The source and the fresh name of job `n`, worked out when the job is copied, so that a
  // load of many thousand files never holds all their names at once. Called on helper
  // threads: it must only read.
  using JobPaths =
      std::function<std::pair<std::filesystem::path, std::filesystem::path>(std::size_t n)>;

  // Starts helpers when there are enough jobs to pay for them; copies nothing itself.
  FreshCopies(std::size_t count, JobPaths paths);
  // Stops the helpers; fresh files not taken stay where they are (see stop()).
  ~FreshCopies();
  FreshCopies(const FreshCopies&) = delete;
  FreshCopies& operator=(const FreshCopies&) = delete;

  // The outcome of copying job `n`, which is then the caller's: on success its fresh file
  // is there, on failure nothing of it is.
  std::error_code take(std::size_t n);
  // Stops handing out jobs and waits for those under way; the fresh files a helper wrote
  // but nobody took, for the caller to remove.
  std::vector<std::filesystem::path> stop();

 private:
  enum State : unsigned char { Open, Copying, Copied, Taken };
  void help();
  // Copies the next job nobody has claimed; false when there is none left.
  bool copyNextOpen();
  bool claim(std::size_t n);
  void markCopied(std::size_t n);
  void copy(std::size_t n);

  std::size_t count_;
  JobPaths paths_;
  std::vector<std::error_code> results_;
  std::vector<std::atomic<unsigned char>> states_;
  std::atomic<std::size_t> cursor_{0};
  std::atomic<bool> stopping_{false};
  std::vector<std::thread> helpers_;
  // Waiting goes through a lock and a condition rather than the atomics' own wait, whose
  // wake-ups some thread libraries lose.
  std::mutex copiedMutex_;
  std::condition_variable copied_;
};

}  // namespace kvo
