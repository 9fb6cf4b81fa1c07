// The entries of the settings dialog's display list, from patterns of the language file: "%s"
// stands for the display's name, the first and second "%d" for its width and height. The pattern
// is a translator's text, never a printf format: anything else in it is kept as written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "overlay/engine/capture/displays.h"

namespace zt::shell {

std::string DisplayLabel(const std::string& pattern, const std::string& name, std::int32_t width,
                         std::int32_t height);

// The name each display is listed by: its own, and where two displays have the same name (two
// monitors of one model, or monitors that do not name themselves) the number of the output
// showing it as well ("Generic Monitor (2)").
std::vector<std::string> DistinctDisplayNames(const std::vector<DisplayInfo>& displays);

}  // namespace zt::shell
