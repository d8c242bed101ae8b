#include "platform/instance_lock.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace kvo {
namespace fs = std::filesystem;

namespace {

// FNV-1a: stable across runs and builds, unlike std::hash, so two selectors agree on the name.
template <typename Char>
std::uint64_t fnv1a(const std::basic_string<Char>& text) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const Char c : text) {
    auto value = static_cast<std::uint64_t>(static_cast<std::make_unsigned_t<Char>>(c));
    for (std::size_t i = 0; i < sizeof(Char); ++i) {
      hash ^= (value >> (8 * i)) & 0xFF;
      hash *= 0x100000001b3ULL;
    }
  }
  return hash;
}

std::string hexName(std::uint64_t hash) {
  char buffer[17];
  std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(hash));
  return buffer;
}

fs::path canonicalGameDir(const fs::path& gameDir) {
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(gameDir, ec);
  if (ec) canonical = fs::absolute(gameDir, ec);
  if (ec) canonical = gameDir;
  return canonical;
}

}  // namespace

#ifdef _WIN32

struct InstanceLock::Handle {
  HANDLE mutex = nullptr;
  ~Handle() {
    if (mutex != nullptr) CloseHandle(mutex);
  }
};

std::unique_ptr<InstanceLock> InstanceLock::acquire(const fs::path& gameDir) {
  std::wstring key = canonicalGameDir(gameDir).wstring();
  // Windows paths ignore case: "C:\EAW" and "c:\eaw" are one game folder.
  if (!key.empty()) CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
  while (!key.empty() && (key.back() == L'\\' || key.back() == L'/')) key.pop_back();
  const std::string name = "Local\\kvo-instance-" + hexName(fnv1a(key));
  const std::wstring wideName(name.begin(), name.end());
  auto handle = std::make_unique<Handle>();
  handle->mutex = CreateMutexW(nullptr, FALSE, wideName.c_str());
  if (handle->mutex == nullptr) {
    // Without a mutex nothing can be detected; the selector still starts.
    return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle)));
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) return nullptr;
  return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle)));
}

#else

struct InstanceLock::Handle {
  int fd = -1;
  ~Handle() {
    if (fd >= 0) ::close(fd);
  }
};

namespace {

fs::path lockFolder() {
  std::error_code ec;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
    if (fs::is_directory(runtime, ec)) return runtime;
  }
  fs::path temp = fs::temp_directory_path(ec);
  if (ec) temp = "/tmp";
  return temp;
}

}  // namespace

std::unique_ptr<InstanceLock> InstanceLock::acquire(const fs::path& gameDir) {
  std::string key = canonicalGameDir(gameDir).string();
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  // The lock file lives outside the game folder: the game folder may be read-only, and a
  // stray file there would be mistaken for game data.
  const fs::path lockFile = lockFolder() / ("kvo-" + hexName(fnv1a(key)) + ".lock");
  auto handle = std::make_unique<Handle>();
  // Read-only is enough for flock, and lets a second user open a lock file the first created.
  // O_CLOEXEC keeps the game started from the selector from inheriting the lock.
  handle->fd = ::open(lockFile.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (handle->fd < 0) {
    // Without a lock file nothing can be detected; the selector still starts.
    return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle)));
  }
  // flock belongs to the open file description, so a second open in this same process
  // conflicts too, and the kernel drops it when the holder dies.
  int result;
  do {
    result = ::flock(handle->fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  // Any other failure (a file system without locks) cannot detect anything; start anyway.
  if (result != 0 && errno == EWOULDBLOCK) return nullptr;
  return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle)));
}

#endif

InstanceLock::~InstanceLock() = default;

InstanceLock::InstanceLock(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

}  // namespace kvo
