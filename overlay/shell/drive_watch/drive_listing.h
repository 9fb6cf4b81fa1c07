// The listing the drive watch reads: the scan-like files of one folder with their last-write
// times, in the order the system returns them.
#pragma once

#include <string>
#include <vector>

#include "overlay/shell/drive_watch/drive_watch_pass.h"

namespace zt {

// Lists folder + "*.???" (folder ends in a backslash, e.g. "E:\"); the pattern goes to the
// system unchanged. A folder, or an entry that cannot be opened for reading, has no time.
// Empty when nothing is found or the drive is gone.
std::vector<ListedEntry> ListScanFiles(const std::string& folder);

}  // namespace zt
