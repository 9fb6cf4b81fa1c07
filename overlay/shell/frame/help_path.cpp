#include "overlay/shell/frame/help_path.h"

namespace zt::shell {

namespace {

constexpr std::size_t kMaxPath = 260;

}  // namespace

std::optional<std::string> HelpPagePath(const std::string& programFolder, const std::string& relative) {
  if (programFolder.empty() || relative.empty()) return std::nullopt;
  if (programFolder.size() + relative.size() >= kMaxPath) return std::nullopt;
  return programFolder + relative;
}

}  // namespace zt::shell
