#include "detector/checker_path.h"

#include "common/program_files_path.h"

namespace zt::detector {

std::optional<std::string> CheckerPath(const char* programFiles) {
  return ProgramFilesPath(programFiles, kCheckerRelativePath);
}

}  // namespace zt::detector
