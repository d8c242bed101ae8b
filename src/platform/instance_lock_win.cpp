#include <windows.h>

// sddl.h needs windows.h first.
#include <sddl.h>

#include "platform/instance_lock.h"

namespace kvo {
namespace fs = std::filesystem;

struct InstanceLock::Handle {
  HANDLE file = INVALID_HANDLE_VALUE;
  ~Handle() {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
};

namespace {

// A new lock file grants its owner alone any access, so no other user can open (and lock)
// it; the handle is not inherited by programs the selector starts. Others may read it (a
// backup, a test's look at the folder) but not delete it while it is held.
HANDLE openLockFile(const fs::path& file) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;OW)", SDDL_REVISION_1,
                                                           &descriptor, nullptr)) {
    attributes.lpSecurityDescriptor = descriptor;
  }
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (descriptor != nullptr) LocalFree(descriptor);
  return handle;
}

// One byte far past the end is locked, so reading the (empty) file never meets the lock.
// Windows drops the lock with the handle, also when the process dies.
bool lockFarByte(HANDLE file) {
  OVERLAPPED at{};
  at.OffsetHigh = 0x7FFFFFFF;
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

}  // namespace

std::unique_ptr<InstanceLock> InstanceLock::acquire(const fs::path& gameDir) {
  auto handle = std::make_unique<Handle>();
  if (const auto file = lockFile(gameDir)) handle->file = openLockFile(*file);
  if (handle->file != INVALID_HANDLE_VALUE && !lockFarByte(handle->file)) {
    // Held by a live selector; any other failure cannot detect anything.
    if (GetLastError() == ERROR_LOCK_VIOLATION) return nullptr;
  }
  // Without a lock file nothing can be detected; the selector still starts.
  return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle)));
}

InstanceLock::~InstanceLock() = default;

InstanceLock::InstanceLock(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

}  // namespace kvo
