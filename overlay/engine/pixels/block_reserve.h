// Large pixel blocks kept after use for the next scan. Every scan needs blocks of the same few
// sizes (the same board, the same screen), and a fresh block of megabytes costs a page fault and
// a page of zeroes from the system for every 4 KB on its first touch, each scan again: the
// Windows heap hands such blocks straight back to the system when they are freed. Kept blocks
// are reused only for the same size, so nothing is wasted inside them.
#pragma once

#include <cstddef>

namespace zt::block_reserve {

// Blocks smaller than this are not kept: the heap reuses them itself.
inline constexpr std::size_t kSmallest = 256 * 1024;
// What is kept at most, in blocks and in bytes; beyond it the oldest kept block goes.
inline constexpr std::size_t kMostBlocks = 8;
inline constexpr std::size_t kMostBytes = 160u * 1024 * 1024;

// A kept block of exactly bytes, or a new one; null when memory runs out.
void* Take(std::size_t bytes);
// A block from Take, of that size, handed back: kept, or freed.
void Give(void* block, std::size_t bytes);
// Frees every kept block.
void Clear();
// What is kept now.
std::size_t KeptBlocks();
std::size_t KeptBytes();

}  // namespace zt::block_reserve
