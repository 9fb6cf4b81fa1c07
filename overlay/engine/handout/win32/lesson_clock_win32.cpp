// Local time by the system's time-zone rules for the moment itself, so a page saved before a
// change to summer time keeps the hour it had.
#include <windows.h>

#include "overlay/engine/handout/lesson_clock.h"

namespace zt {

namespace {

constexpr std::int64_t kTicksPerSecond = 10000000, kSecondsTo1970 = 11644473600LL;

class Win32LessonClock final : public LessonClock {
 public:
  std::int64_t Now() override {
    FILETIME ft{};
    GetSystemTimeAsFileTime(&ft);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kSecondsTo1970;
  }

  LocalTime Local(std::int64_t moment) override {
    const std::uint64_t ticks = static_cast<std::uint64_t>(moment + kSecondsTo1970) * kTicksPerSecond;
    FILETIME ft{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{}, local{};
    if (!FileTimeToSystemTime(&ft, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
      local = utc;
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
  }
};

}  // namespace

std::unique_ptr<LessonClock> MakeSystemLessonClock() { return std::make_unique<Win32LessonClock>(); }

}  // namespace zt
