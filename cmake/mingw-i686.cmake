# 32-bit Windows: the build that ships. The programs are 32-bit processes on every PC.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZT_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Every processor that runs a supported Windows has SSE2: the compiler may use it everywhere
# (vector loops, and floating point without the x87 stack).
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
