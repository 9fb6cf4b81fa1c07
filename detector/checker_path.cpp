#include "detector/checker_path.h"

namespace zt::detector {

std::optional<std::string> CheckerPath(const char* programFiles) {
  if (!programFiles || !*programFiles) return std::nullopt;
  std::string path = std::string(programFiles) + kCheckerRelativePath;
  if (path.size() >= kMaxPath) return std::nullopt;
  return path;
}

}  // namespace zt::detector
