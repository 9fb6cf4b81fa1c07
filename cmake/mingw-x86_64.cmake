# 64-bit Windows: the same sources built to run the Wine tests on machines whose kernel runs no
# 32-bit processes. Never shipped.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZT_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
