#include "transaction/fresh_copies.h"

#include <new>
#include <utility>

#include "platform/entry_ops.h"
#include "platform/on_cores.h"

namespace kvo {

FreshCopies::FreshCopies(std::size_t count, JobPaths paths)
    : count_(count), paths_(std::move(paths)), results_(count), states_(count) {
  // Without helpers the steps copy for themselves.
  helpers_ = startHelpers(count_, [this] { help(); });
}

FreshCopies::~FreshCopies() {
  stop();
}

bool FreshCopies::claim(std::size_t n) {
  unsigned char open = Open;
  return states_[n].compare_exchange_strong(open, Copying);
}

void FreshCopies::copy(std::size_t n) {
  try {
    const auto [source, fresh] = paths_(n);
    results_[n] = copyToNewFile(source, fresh);
  } catch (const std::bad_alloc&) {
    results_[n] = std::make_error_code(std::errc::not_enough_memory);
  }
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
    if (n >= count_) return false;
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
  for (std::size_t n = 0; n < count_; ++n) {
    if (states_[n].load() == Copied && !results_[n]) left.push_back(paths_(n).second);
    states_[n].store(Taken);
  }
  return left;
}

}  // namespace kvo
