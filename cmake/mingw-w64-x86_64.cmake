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

# Qt and libarchive for Windows: static builds from Debian's sources, which
# scripts/build-windows-deps.sh keeps in a cache outside the checkout.
if(NOT KVO_WINDOWS_DEPS)
  if(DEFINED ENV{KVO_WINDOWS_DEPS})
    set(KVO_WINDOWS_DEPS "$ENV{KVO_WINDOWS_DEPS}")
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(KVO_WINDOWS_DEPS "$ENV{XDG_CACHE_HOME}/kvo-windows-deps")
  else()
    set(KVO_WINDOWS_DEPS "$ENV{HOME}/.cache/kvo-windows-deps")
  endif()
endif()
set(KVO_WINDOWS_DEPS "${KVO_WINDOWS_DEPS}" CACHE PATH "Qt and libarchive for the Windows build")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KVO_WINDOWS_DEPS)
foreach(kvo_dep qt archive)
  if(EXISTS ${KVO_WINDOWS_DEPS}/${kvo_dep})
    list(PREPEND CMAKE_PREFIX_PATH ${KVO_WINDOWS_DEPS}/${kvo_dep})
    list(PREPEND CMAKE_FIND_ROOT_PATH ${KVO_WINDOWS_DEPS}/${kvo_dep})
  endif()
endforeach()
# Moc, rcc and uic of a cross-built Qt come from the host's Qt of the same version.
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake CACHE PATH "")
# The static libarchive brings its own LibArchiveConfig.cmake, which links its compression
# libraries; CMake's FindLibArchive module knows nothing of those.
set(CMAKE_FIND_PACKAGE_PREFER_CONFIG ON)

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
