#include "overlay/shell/sdlink/checker_executable.h"

#include "common/program_files_path.h"
#include "common/sd_channel.h"

namespace zt::shell {

std::optional<std::string> CheckerExecutablePath(const char* programFiles) {
  return ProgramFilesPath(programFiles, sdchannel::kCheckerRelativePath);
}

}  // namespace zt::shell
