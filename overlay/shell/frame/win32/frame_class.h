// The window class of ZTLumbrel's hidden frame: how other programs (the installer's custom
// actions) find the running copy.
#pragma once

namespace zt::shell {

inline constexpr char kFrameClassName[] = "ZTLumbrelMainFrame";

}  // namespace zt::shell
