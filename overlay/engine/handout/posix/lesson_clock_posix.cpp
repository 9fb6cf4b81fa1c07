#include <ctime>

#include "overlay/engine/handout/lesson_clock.h"

namespace zt {

namespace {

class PosixLessonClock final : public LessonClock {
 public:
  std::int64_t Now() override { return static_cast<std::int64_t>(std::time(nullptr)); }
  LocalTime Local(std::int64_t moment) override {
    const std::time_t t = static_cast<std::time_t>(moment);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  }
};

}  // namespace

std::unique_ptr<LessonClock> MakeSystemLessonClock() { return std::make_unique<PosixLessonClock>(); }

}  // namespace zt
