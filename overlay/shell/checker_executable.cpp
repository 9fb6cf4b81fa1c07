#include "overlay/shell/checker_executable.h"

#include "common/sd_channel.h"

namespace zt::shell {

std::optional<std::string> CheckerExecutablePath(const char* programFiles) {
  if (!programFiles || !*programFiles) return std::nullopt;
  std::string path = std::string(programFiles) + sdchannel::kCheckerRelativePath;
  if (path.size() >= sdchannel::kPathSize) return std::nullopt;
  return path;
}

}  // namespace zt::shell
