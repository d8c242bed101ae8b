#pragma once

#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

namespace kvo {

// Starts the helper threads `jobs` file operations are worth, each running `work`; fewer
// or none when the system has no thread to give, the caller then doing the work itself.
std::vector<std::thread> startHelpers(std::size_t jobs, const std::function<void()>& work);

// Runs work(n, onCaller) once for every n below `count`, on the calling thread and on
// helper threads; `onCaller` says the call is on the calling thread, where progress may be
// shown. Returns when every call has returned. `work` must not throw.
void forEachOnCores(std::size_t count, const std::function<void(std::size_t, bool)>& work);

}  // namespace kvo
