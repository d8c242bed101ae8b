// Shared by the libFuzzer targets of the file readers: each reader also meets inputs as large
// as the selector lets a file of its kind be (read_limits.h), and the heap it holds while it
// reads is checked against a small multiple of the input.
#pragma once

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

namespace kvo::fuzz {

inline std::atomic<std::size_t> liveBytes{0};
inline std::atomic<std::size_t> peakBytes{0};

inline void* counted(void* block) {
  if (block == nullptr) throw std::bad_alloc();
  const auto now = liveBytes += malloc_usable_size(block);
  auto peak = peakBytes.load();
  while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
  }
  return block;
}

inline void uncounted(void* block) {
  if (block == nullptr) return;
  liveBytes -= malloc_usable_size(block);
  std::free(block);
}

// Larger inputs than libFuzzer makes cost time; the cost per byte is what is checked, and a
// reader that holds it at this size holds it at its limit.
inline constexpr std::size_t kLargestTried = 4 * 1024 * 1024;

// Runs `read` on `bytes` and fails when the heap it held grew beyond `factor` times the input
// and a fixed allowance.
template <typename Read>
void withinCost(std::string_view bytes, std::size_t factor, Read read) {
  const auto before = liveBytes.load();
  peakBytes = before;
  read(bytes);
  const auto held = peakBytes.load() - before;
  if (held > factor * bytes.size() + 256 * 1024) {
    std::fprintf(stderr, "reader held %zu bytes for %zu bytes of input\n", held, bytes.size());
    std::abort();
  }
}

// Runs `read` on the input, and on one input in 64 also on the input repeated up to the
// reader's limit (or kLargestTried), each within the cost allowed.
template <typename Read>
void atSizeAndLimit(const std::uint8_t* data, std::size_t size, std::size_t limit,
                    std::size_t factor, Read read) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  withinCost(bytes, factor, read);
  if (size == 0 || data[0] % 64 != 0) return;
  std::string large;
  const auto wanted = std::min(limit, kLargestTried);
  large.reserve(wanted);
  while (large.size() + size <= wanted) large.append(bytes);
  withinCost(large, factor, read);
}

}  // namespace kvo::fuzz

// Every allocation of the target is counted, so that a reader's cost can be seen.
void* operator new(std::size_t size) {
  return kvo::fuzz::counted(std::malloc(size));
}
void* operator new[](std::size_t size) {
  return kvo::fuzz::counted(std::malloc(size));
}
void operator delete(void* block) noexcept {
  kvo::fuzz::uncounted(block);
}
void operator delete[](void* block) noexcept {
  kvo::fuzz::uncounted(block);
}
void operator delete(void* block, std::size_t) noexcept {
  kvo::fuzz::uncounted(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  kvo::fuzz::uncounted(block);
}
