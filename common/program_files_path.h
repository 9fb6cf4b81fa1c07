// Where one program of the system finds another: below the program files folder.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace zt {

// programFiles followed by relative (which starts with a separator), or nothing when the folder is
// unknown (null or empty) or the path would not fit in 260 bytes with its NUL: an incomplete path
// could start some other program.
inline std::optional<std::string> ProgramFilesPath(const char* programFiles, const char* relative) {
  constexpr std::size_t kMaxPath = 260;
  if (!programFiles || !*programFiles) return std::nullopt;
  std::string path = std::string(programFiles) + relative;
  if (path.size() >= kMaxPath) return std::nullopt;
  return path;
}

}  // namespace zt
