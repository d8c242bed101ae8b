#pragma once

#include <cstddef>
#include <functional>

namespace kvo {

// How many helper threads `jobs` file operations are worth beside the calling thread: none
// for a few, one less than the cores (at most four copies at once) for many.
unsigned helperThreadsFor(std::size_t jobs);

// Runs work(n, onCaller) once for every n below `count`, on the calling thread and on
// helper threads; `onCaller` says the call is on the calling thread, where progress may be
// shown. Returns when every call has returned. `work` must not throw.
void forEachOnCores(std::size_t count, const std::function<void(std::size_t, bool)>& work);

}  // namespace kvo
