// Every card file seen since the last reset, in the order in which it was (re)recorded, with an
// index by URL so that a poll over thousands of known files stays linear.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>

#include "chksdwifi/card_file_entry.h"

namespace zt::sdwifi {

class KnownFileList {
 public:
  // True when the entry is new: its URL was unknown, or it is listed with a later time (it then
  // moves to the end). The same or an older time, or a changed size alone, is not new.
  bool Record(const CardFileEntry& entry);
  // Forgets the entry equal to this one (URL, time and size); false when there is none.
  bool RemoveEqual(const CardFileEntry& entry);
  void Clear();

  std::size_t Size() const { return m_entries.size(); }
  const std::list<CardFileEntry>& Entries() const { return m_entries; }

 private:
  std::list<CardFileEntry> m_entries;
  std::unordered_map<std::string, std::list<CardFileEntry>::iterator> m_byUrl;
};

}  // namespace zt::sdwifi
