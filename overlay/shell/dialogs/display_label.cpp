#include "overlay/shell/dialogs/display_label.h"

#include <algorithm>
#include <cctype>

namespace zt::shell {

std::string DisplayLabel(const std::string& pattern, const std::string& name, std::int32_t width,
                         std::int32_t height) {
  std::string label;
  int numbersUsed = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] == '%' && next == 's') {
      label += name;
      ++i;
    } else if (pattern[i] == '%' && next == 'd' && numbersUsed < 2) {
      label += std::to_string(numbersUsed++ == 0 ? width : height);
      ++i;
    } else {
      label += pattern[i];
    }
  }
  return label;
}

namespace {

// "\\.\DISPLAY2" gives "2"; an output name without a number gives the whole name.
std::string OutputNumber(const std::string& output) {
  std::size_t start = output.size();
  while (start > 0 && std::isdigit(static_cast<unsigned char>(output[start - 1]))) --start;
  return start < output.size() ? output.substr(start) : output;
}

}  // namespace

std::vector<std::string> DistinctDisplayNames(const std::vector<DisplayInfo>& displays) {
  std::vector<std::string> names;
  for (const DisplayInfo& display : displays) {
    const auto sameName = [&](const DisplayInfo& other) { return other.name == display.name; };
    const bool shared = std::count_if(displays.begin(), displays.end(), sameName) > 1;
    names.push_back(shared ? display.name + " (" + OutputNumber(display.output) + ")" : display.name);
  }
  return names;
}

}  // namespace zt::shell
