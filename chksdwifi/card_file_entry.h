// One file listed on the wireless card. Its URL is its identity.
#pragma once

#include <cstdint>
#include <string>

namespace zt::sdwifi {

struct CardFileEntry {
  std::int32_t time = 0;   // listed timestamp taken as local time, seconds since 1970
  std::string fileUrl;     // folder URL followed by the file name
  std::int32_t size = -1;  // listed byte size; -1 in an empty entry

  bool IsEmpty() const { return fileUrl.empty(); }
  void Clear() { *this = CardFileEntry{}; }
  bool operator==(const CardFileEntry& o) const {
    return time == o.time && size == o.size && fileUrl == o.fileUrl;
  }
  bool operator!=(const CardFileEntry& o) const { return !(*this == o); }
};

}  // namespace zt::sdwifi
