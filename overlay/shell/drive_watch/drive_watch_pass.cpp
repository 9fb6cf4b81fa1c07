#include "overlay/shell/drive_watch/drive_watch_pass.h"

#include <algorithm>

namespace zt {

std::optional<std::string> RunDriveWatchPass(char letter, const std::vector<ListedEntry>& listing,
                                             DriveWatchMemory& memory) {
  std::vector<std::string> seen;
  std::optional<std::string> scan;
  for (const ListedEntry& entry : listing) {
    if (!entry.lastWrite) continue;
    const std::string path = std::string(1, letter) + ":\\" + entry.name;
    seen.push_back(path);
    const bool known =
        std::find(memory.knownFiles.begin(), memory.knownFiles.end(), path) != memory.knownFiles.end();
    // Later entries are measured against the time just taken.
    if (!known || *entry.lastWrite > memory.latest) {
      scan = path;
      memory.latest = *entry.lastWrite;
    }
  }
  memory.knownFiles = std::move(seen);
  if (listing.empty()) memory.latest = 0;  // the board is empty or gone: start afresh
  return scan;
}

}  // namespace zt
