// Shared by the libFuzzer targets of the file readers: each reader also meets inputs as large
// as the selector lets a file of its kind be (read_limits.h), and the heap it holds while it
// reads is checked against a small multiple of the input.
#pragma once

#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kvo::fuzz {

inline std::atomic<std::size_t> liveBytes{0};
inline std::atomic<std::size_t> peakBytes{0};

// Called by the sanitizer's allocator for every block, whoever asks for it.
inline void onAllocate(const volatile void*, std::size_t size) {
  const auto now = liveBytes += size;
  auto peak = peakBytes.load();
  while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
  }
}

inline void onFree(const volatile void* block) {
  if (block != nullptr) {
    liveBytes -= __sanitizer_get_allocated_size(const_cast<const void*>(block));
  }
}

inline const bool kHooked = __sanitizer_install_malloc_and_free_hooks(onAllocate, onFree) != 0;

// Larger inputs than libFuzzer makes cost time; the cost per byte is what is checked, and a
// reader that holds it at this size holds it at its limit.
inline constexpr std::size_t kLargestTried = 1024 * 1024;

// One input in 128, chosen by its bytes, so that the same input always gets the same runs.
inline bool chosenForLimit(std::string_view bytes) {
  std::uint32_t hash = 2166136261u;
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return !bytes.empty() && hash % 128 == 0;
}

// The result of `read()`, the reader run on `bytes`; fails when the heap it held grew beyond
// `factor` times the input and a fixed allowance.
template <typename Read>
auto costOf(std::string_view bytes, std::size_t factor, Read read) {
  if (!kHooked) std::abort();
  const auto before = liveBytes.load();
  peakBytes = before;
  auto result = read();
  const auto held = peakBytes.load() - before;
  if (held > factor * bytes.size() + 256 * 1024) {
    std::fprintf(stderr, "reader held %zu bytes for %zu bytes of input\n", held, bytes.size());
    std::abort();
  }
  return result;
}

// Runs `check` on the input, and on one input in 128 also on the input repeated up to the
// reader's limit (or kLargestTried).
template <typename Check>
void atSizeAndLimit(const std::uint8_t* data, std::size_t size, std::size_t limit, Check check) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  check(bytes);
  if (!chosenForLimit(bytes)) return;
  std::string large;
  const auto wanted = std::min(limit, kLargestTried);
  large.reserve(wanted);
  while (large.size() + size <= wanted) large.append(bytes);
  check(std::string_view(large));
}

}  // namespace kvo::fuzz
