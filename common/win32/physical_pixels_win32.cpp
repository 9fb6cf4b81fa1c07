#include "common/win32/physical_pixels.h"

namespace zt::app {

namespace {

using SetContext = HANDLE(WINAPI*)(HANDLE);

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 (from Windows 10 1703) and _PER_MONITOR_AWARE,
// by their numbers: older headers lack the names.
const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitor = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));

// Looked up at run time: the call exists from Windows 10 version 1607.
SetContext ContextSetter() {
  static const SetContext setter = [] {
    HMODULE user = GetModuleHandleA("user32.dll");
    return user ? reinterpret_cast<SetContext>(
                      reinterpret_cast<void*>(GetProcAddress(user, "SetThreadDpiAwarenessContext")))
                : nullptr;
  }();
  return setter;
}

}  // namespace

PhysicalPixels::PhysicalPixels() {
  SetContext set = ContextSetter();
  if (!set) return;
  m_previous = set(kPerMonitorV2);
  if (!m_previous) m_previous = set(kPerMonitor);
}

PhysicalPixels::~PhysicalPixels() {
  if (m_previous)
    if (SetContext set = ContextSetter()) set(m_previous);
}

}  // namespace zt::app
