#include "chksdwifi/known_files.h"

namespace zt::sdwifi {

bool KnownFileList::Record(const CardFileEntry& entry) {
  auto found = m_byUrl.find(entry.fileUrl);
  if (found != m_byUrl.end()) {
    if (found->second->time >= entry.time) return false;
    m_entries.erase(found->second);
    m_byUrl.erase(found);
  }
  m_entries.push_back(entry);
  m_byUrl.emplace(entry.fileUrl, std::prev(m_entries.end()));
  return true;
}

bool KnownFileList::RemoveEqual(const CardFileEntry& entry) {
  auto found = m_byUrl.find(entry.fileUrl);
  if (found == m_byUrl.end() || *found->second != entry) return false;
  m_entries.erase(found->second);
  m_byUrl.erase(found);
  return true;
}

void KnownFileList::Clear() {
  m_entries.clear();
  m_byUrl.clear();
}

}  // namespace zt::sdwifi
