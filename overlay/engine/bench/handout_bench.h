// What the lesson's handout costs: a page appended to a 60-page handout against copying the
// handout's bytes, both measured here in one run.
#pragma once

#include <string>

#include "overlay/imgfile/image_files.h"

namespace zt {

struct HandoutBench {
  double appendMs = 0;  // best of the runs
  double copyMs = 0;    // reading and writing the handout's bytes, best of the runs
  double megabytes = 0;
};

HandoutBench MeasureHandoutAppend(ImageFiles& images, const std::string& root, int runs);

}  // namespace zt
