// Natively the programs' Windows paths name "/" paths: each backslash is taken as a slash.
#pragma once

#include <string>

namespace zt {

inline std::string NativePath(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

}  // namespace zt
