// Where the tray menu's help command finds the help page: the program's folder followed by the
// language file's relative path.
#pragma once

#include <optional>
#include <string>

namespace zt::shell {

// programFolder ends in a separator (or is empty); relative is the caption's text. No path when
// either is empty or the whole would not fit in 260 bytes with its NUL: a cut path could open
// some other file.
std::optional<std::string> HelpPagePath(const std::string& programFolder, const std::string& relative);

}  // namespace zt::shell
