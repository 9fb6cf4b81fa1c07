// The detector's command-line switches.
#pragma once

namespace zt::detector {

enum class Switch { kNone, kUnregServer, kRegServer, kService, kUninstall };

// Looks behind each '-' or '/' of the command line: the whole rest of the line, compared without
// regard to case, must be a switch word. The first such character that matches decides, so
// "-Service x" is no switch at all.
Switch MatchSwitch(const char* commandLine);

}  // namespace zt::detector
