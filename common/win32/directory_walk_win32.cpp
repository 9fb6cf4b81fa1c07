#include "common/win32/directory_walk.h"

#include "common/win32/handles.h"

namespace zt::app {

bool ForEachEntry(const std::string& pattern, const std::function<void(const WIN32_FIND_DATAA&)>& visit) {
  WIN32_FIND_DATAA entry;
  // Owned, so that a visit that throws (a test's failed requirement) closes the search too.
  const UniqueFindHandle find(FindFirstFileA(pattern.c_str(), &entry));
  if (!find) return false;
  do {
    visit(entry);
  } while (FindNextFileA(find.Get(), &entry));
  return true;
}

}  // namespace zt::app
