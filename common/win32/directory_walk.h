// The one walk over the entries of a folder that the programs and their tests make.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace zt::app {

// Calls visit with each entry that pattern ("C:\\folder\\*.*") matches, in the order the file
// system lists them; "." and ".." too where the pattern matches them. Returns false when nothing
// matched or the folder could not be searched.
bool ForEachEntry(const std::string& pattern, const std::function<void(const WIN32_FIND_DATAA&)>& visit);

}  // namespace zt::app
