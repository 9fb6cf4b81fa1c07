// Which vector instructions the engine's pixel loops use. The plain loops are the reference and
// run everywhere (compiled for SSE2 in both Windows builds); loops written for a higher level
// run only where the processor has it, found out once at run time.
#pragma once

namespace zt {

enum class VectorLevel {
  kPlain = 0,  // the portable loops
  kSsse3 = 1,  // byte shuffles: the quarter turn and the halving
};

// The highest level this processor runs.
VectorLevel ProcessorLevel();
// The level in use: the processor's, unless lowered by SetVectorLevel.
VectorLevel ActiveLevel();
// Lowers (or restores) the level in use, never above the processor's; for tests and the bench,
// while no engine step runs.
void SetVectorLevel(VectorLevel level);
const char* VectorLevelName(VectorLevel level);

}  // namespace zt
