#include <cstdlib>

#include "cvimgfileio/dib_output.h"

namespace zt::img {

void* AllocDibBlock(std::size_t bytes) { return std::malloc(bytes); }

void FreeDibBlock(void* block) { std::free(block); }

}  // namespace zt::img
