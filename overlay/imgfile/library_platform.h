// What differs between the systems in calling the image-file library: the paths it takes and
// how the block it loaded is given back.
#pragma once

#include <string>

namespace zt {

// The engine's paths use backslashes; natively (where the engine is tested) they mean "/", as
// for the engine's file system there.
std::string LibraryPath(const std::string& path);

// The load hands out a locked global block on Windows and a block of its own elsewhere.
void ReleaseLoadedDib(void* block);

}  // namespace zt
