#include <windows.h>

#include "common/win32/directory_walk.h"
#include "common/win32/handles.h"
#include "overlay/shell/drive_watch/drive_listing.h"

namespace zt {

namespace {

// The entry's last-write time as the file itself reports it, once opened for reading.
std::optional<std::uint64_t> LastWriteTime(const std::string& path) {
  app::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  FILETIME written{};
  if (!GetFileTime(file.Get(), nullptr, nullptr, &written)) return std::nullopt;
  return (std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime;
}

}  // namespace

std::vector<ListedEntry> ListScanFiles(const std::string& folder) {
  std::vector<ListedEntry> listing;
  app::ForEachEntry(folder + "*.???", [&](const WIN32_FIND_DATAA& found) {
    ListedEntry entry;
    entry.name = found.cFileName;
    // A folder is never a scan; files are opened as the board is asked for them.
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      entry.lastWrite = LastWriteTime(folder + entry.name);
    listing.push_back(std::move(entry));
  });
  return listing;
}

}  // namespace zt
