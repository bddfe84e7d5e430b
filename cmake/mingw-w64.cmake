# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (package g++-mingw-w64-x86-64-posix).
# The posix thread model gives std::thread and std::mutex. The command-line programs are linked statically
# against the compiler's own libraries (libstdc++, libgcc, winpthread), so they need no DLL beside them except
# the ones Windows itself provides; the window shares those libraries with Qt's DLLs (see the top
# CMakeLists.txt). Tests run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZR_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZR_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZR_MINGW_TRIPLET})
# Qt for Windows (scripts/build-qt-windows.sh) lives in a prefix of its own, searched like the compiler's.
if(ZR_QT_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ZR_QT_PREFIX})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZR_QT_PREFIX)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC 12 reports a -Wrestrict false positive inside libstdc++'s string code for this target.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# ctest runs the test programs under Wine.
find_program(ZR_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(ZR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZR_WINE})
endif()
