// The frame's clock for the SD link's tests: records the timers set and killed and the new-scan
// signals posted.
#pragma once

#include <utility>
#include <vector>

#include "overlay/shell/sdlink/link_clock.h"

namespace zt::test {

class FakeLinkClock final : public shell::LinkClock {
 public:
  void SetLinkTimer(shell::LinkTimer timer, unsigned ms) override { timersSet.push_back({timer, ms}); }
  void KillLinkTimer(shell::LinkTimer timer) override { timersKilled.push_back(timer); }
  void PostNewScan() override { ++newScansPosted; }

  std::vector<std::pair<shell::LinkTimer, unsigned>> timersSet;
  std::vector<shell::LinkTimer> timersKilled;
  int newScansPosted = 0;
};

}  // namespace zt::test
