// Where the installed wireless SD checker lies: below the program files folder.
#pragma once

#include <optional>
#include <string>

namespace zt::shell {

// programFiles + "\Corvane\Zentab SD WiFi\ZTChkSDWiFi.exe", or nothing when the folder is unknown
// (null or empty) or the path would not fit in 260 bytes with its NUL: a cut path could start
// another program.
std::optional<std::string> CheckerExecutablePath(const char* programFiles);

}  // namespace zt::shell
