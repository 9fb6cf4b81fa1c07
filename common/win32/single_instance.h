// The named mutex that marks a program as running, held for the life of the process.
#pragma once

#include <windows.h>

#include "common/win32/handles.h"

namespace zt::app {

// Creates the mutex into holder; false when it cannot be made or another process holds it
// already, in which case this copy must end before it touches anything.
inline bool ClaimSingleInstance(UniqueHandle& holder, const char* name) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  const DWORD error = GetLastError();  // read before anything else can change it
  holder.Reset(mutex);
  return mutex && error != ERROR_ALREADY_EXISTS;
}

}  // namespace zt::app
