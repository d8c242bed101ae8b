#pragma once

#ifdef _WIN32
#include <windows.h>

#include <system_error>

namespace kvo {

// The error of the last failed Windows call, as the error code the platform layer returns.
inline std::error_code lastWindowsError() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

}  // namespace kvo
#endif
