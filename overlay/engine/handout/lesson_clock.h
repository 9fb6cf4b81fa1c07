// The time a lesson is measured in: now, in seconds since 1970 (UTC), and a moment's local time
// for names and outlines.
#pragma once

#include <cstdint>
#include <memory>

#include "overlay/engine/handout/lesson_names.h"

namespace zt {

class LessonClock {
 public:
  virtual ~LessonClock() = default;
  virtual std::int64_t Now() = 0;
  virtual LocalTime Local(std::int64_t moment) = 0;
};

std::unique_ptr<LessonClock> MakeSystemLessonClock();

}  // namespace zt
