// Where the detector finds the scan checker: the program folder below %PROGRAMFILES%.
#pragma once

#include <optional>
#include <string>

namespace zt::detector {

inline constexpr char kCheckerRelativePath[] = "\\Corvane\\Zentab Lumbrel\\ZTChkScan.exe";
inline constexpr std::size_t kMaxPath = 260;  // characters, the terminating NUL included

// The checker's full path, or nothing when programFiles is unset (null or empty) or the path
// would not fit in kMaxPath: an incomplete path could start some other program.
std::optional<std::string> CheckerPath(const char* programFiles);

}  // namespace zt::detector
