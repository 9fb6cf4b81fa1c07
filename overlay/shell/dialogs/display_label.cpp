#include "overlay/shell/dialogs/display_label.h"

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

}  // namespace zt::shell
