#include <sddl.h>
#include <windows.h>

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

// A new lock file grants its owner alone any access, so no other user can open (and hold)
// it; the handle is not inherited by programs the selector starts.
HANDLE openLockFile(const fs::path& file) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
  if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;OW)", SDDL_REVISION_1,
                                                           &descriptor, nullptr)) {
    attributes.lpSecurityDescriptor = descriptor;
  }
  const HANDLE handle =
      CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &attributes, OPEN_ALWAYS,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  const DWORD error = GetLastError();
  if (descriptor != nullptr) LocalFree(descriptor);
  SetLastError(error);
  return handle;
}

}  // namespace

std::unique_ptr<InstanceLock> InstanceLock::acquire(const fs::path& gameDir) {
  auto handle = std::make_unique<Handle>();
  if (const auto file = lockFile(gameDir)) {
    handle->file = openLockFile(*file);
    // Opened without sharing by a live selector, the file refuses every other open.
    if (handle->file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION) {
      return nullptr;
    }
  }
  // Without a lock file nothing can be detected; the selector still starts.
  return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle)));
}

InstanceLock::~InstanceLock() = default;

InstanceLock::InstanceLock(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

}  // namespace kvo
