#include "parent_console.h"

#include <windows.h>

#include <cstdio>
#include <iostream>

namespace kvo {
namespace {

// A redirect to a file or a pipe arrives as an open handle and is kept.
bool leadsSomewhere(DWORD stream) {
  HANDLE handle = GetStdHandle(stream);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void useParentConsole() {
  const bool output = leadsSomewhere(STD_OUTPUT_HANDLE);
  const bool errors = leadsSomewhere(STD_ERROR_HANDLE);
  if (output && errors) return;
  // Started by a double-click or a shortcut there is no console to attach to, and none is needed.
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  if (!output && std::freopen("CONOUT$", "w", stdout)) std::cout.clear();
  if (!errors && std::freopen("CONOUT$", "w", stderr)) std::cerr.clear();
}

}  // namespace kvo
