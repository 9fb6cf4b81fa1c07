// The frame's clock as the SD link uses it: the link's two timers and the frame's queue. The
// frame maps each timer to its own id.
#pragma once

namespace zt::shell {

enum class LinkTimer {
  Connect,   // try the checker again a second later
  Watchdog,  // look whether the checker still runs while it has not taken our registration
};

class LinkClock {
 public:
  virtual ~LinkClock() = default;
  virtual void SetLinkTimer(LinkTimer timer, unsigned milliseconds) = 0;
  virtual void KillLinkTimer(LinkTimer timer) = 0;
  // Posts the new-scan signal: the frame hands the pipeline's queued scan to it.
  virtual void PostNewScan() = 0;
};

}  // namespace zt::shell
