# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers (the posix thread model,
# which std::thread and std::mutex need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KVO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KVO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: kvo.exe must start from the game folder without libstdc++-6.dll,
# libgcc_s_seh-1.dll and libwinpthread-1.dll beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs the programs through Wine. Debian puts the 64-bit loader outside PATH.
find_program(KVO_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KVO_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KVO_WINE64})
endif()

# The windows preset builds Release at -O2: MinGW's GCC 12 at -O3 reports a false
# -Wrestrict inside std::string concatenation, and warnings are errors.
