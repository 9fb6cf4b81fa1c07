// One pass of the drive watch over the listing of the board's root folder: which entry is the new
// scan. The files already seen and the time of the last scan taken carry over between passes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zt {

// One entry of the listing, in the order the system returned it.
struct ListedEntry {
  std::string name;                        // long name, without folder
  std::optional<std::uint64_t> lastWrite;  // none: a folder, or a file that could not be opened
};

struct DriveWatchMemory {
  std::vector<std::string> knownFiles;  // every path of the last pass, in listing order
  std::uint64_t latest = 0;             // last-write time of the last scan taken
};

// Paths are letter + ":\" + name. An entry is new when its path was not listed before or when it
// was written after the last scan taken; the last new entry wins and its time becomes the latest.
// Entries without a time are skipped, and the pass goes on: one folder on the board must not stop
// every later scan. Returns the new scan's path, or nothing.
std::optional<std::string> RunDriveWatchPass(char letter, const std::vector<ListedEntry>& listing,
                                             DriveWatchMemory& memory);

}  // namespace zt
