// The entries of the settings dialog's display list, from patterns of the language file: "%s"
// stands for the display's name, the first and second "%d" for its width and height. The pattern
// is a translator's text, never a printf format: anything else in it is kept as written.
#pragma once

#include <cstdint>
#include <string>

namespace zt::shell {

std::string DisplayLabel(const std::string& pattern, const std::string& name, std::int32_t width,
                         std::int32_t height);

}  // namespace zt::shell
