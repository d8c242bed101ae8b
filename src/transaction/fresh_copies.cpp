#include "transaction/fresh_copies.h"

#include <utility>

#include "platform/entry_ops.h"
#include "platform/on_cores.h"

namespace kvo {

FreshCopies::FreshCopies(std::vector<Job> jobs)
    : jobs_(std::move(jobs)), results_(jobs_.size()), states_(jobs_.size()) {
  // Without helpers the steps copy for themselves.
  helpers_ = startHelpers(jobs_.size(), [this] { help(); });
}

FreshCopies::~FreshCopies() {
  stop();
}

bool FreshCopies::claim(std::size_t n) {
  unsigned char open = Open;
  return states_[n].compare_exchange_strong(open, Copying);
}

void FreshCopies::copy(std::size_t n) {
  results_[n] = copyToNewFile(*jobs_[n].source, *jobs_[n].fresh);
}

// Under the lock, so that a caller about to wait for this copy cannot miss the news.
void FreshCopies::markCopied(std::size_t n) {
  {
    const std::lock_guard<std::mutex> lock(copiedMutex_);
    states_[n].store(Copied);
  }
  copied_.notify_all();
}

bool FreshCopies::copyNextOpen() {
  while (!stopping_.load()) {
    const std::size_t n = cursor_.fetch_add(1);
    if (n >= jobs_.size()) return false;
    if (!claim(n)) continue;
    copy(n);
    markCopied(n);
    return true;
  }
  return false;
}

void FreshCopies::help() {
  while (copyNextOpen()) {
  }
}

std::error_code FreshCopies::take(std::size_t n) {
  if (claim(n)) {
    copy(n);
  } else {
    // While a helper copies this one, the caller copies one further on rather than wait.
    while (states_[n].load() == Copying && copyNextOpen()) {
    }
    std::unique_lock<std::mutex> lock(copiedMutex_);
    copied_.wait(lock, [this, n] { return states_[n].load() != Copying; });
  }
  states_[n].store(Taken);
  return results_[n];
}

std::vector<std::filesystem::path> FreshCopies::stop() {
  stopping_.store(true);
  for (auto& helper : helpers_) {
    if (helper.joinable()) helper.join();
  }
  helpers_.clear();
  std::vector<std::filesystem::path> left;
  for (std::size_t n = 0; n < jobs_.size(); ++n) {
    if (states_[n].load() == Copied && !results_[n]) left.push_back(*jobs_[n].fresh);
    states_[n].store(Taken);
  }
  return left;
}

}  // namespace kvo
