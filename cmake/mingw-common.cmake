# Shared part of the two Windows toolchains: mingw-w64 with the posix thread model (GoogleTest
# needs it), fully static so the programs need no mingw runtime DLLs. The including file sets
# CMAKE_SYSTEM_PROCESSOR and ZT_MINGW_TRIPLE.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ZT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZT_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${ZT_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
