// Spaces out a client's downloads while they cannot be written here (a full disk, the download
// folder gone): the card is not asked for the same file, nor the client told, every second.
#pragma once

#include <algorithm>
#include <cstdint>

namespace zt::sdwifi {

class WriteBackOff {
 public:
  // Counted in polls, one a second: the longest wait is a minute.
  static constexpr std::uint64_t kLongestWait = 60;

  // True when a download may be tried in this poll.
  bool Due(std::uint64_t poll) const { return poll >= m_nextTry; }
  // The wait after a failure: the next poll after the first, then twice as long after each
  // further failure in a row.
  void Failed(std::uint64_t poll) {
    m_nextTry = poll + m_wait;
    m_wait = std::min(m_wait * 2, kLongestWait);
  }
  void Succeeded() { *this = WriteBackOff{}; }

 private:
  std::uint64_t m_wait = 1;
  std::uint64_t m_nextTry = 0;
};

}  // namespace zt::sdwifi
