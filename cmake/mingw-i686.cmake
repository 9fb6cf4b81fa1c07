# 32-bit Windows: the build that ships. The programs are 32-bit processes on every PC.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZT_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
