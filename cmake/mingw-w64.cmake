# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (package g++-mingw-w64-x86-64-posix).
# The posix thread model gives std::thread and std::mutex. Programs are linked statically against the
# compiler's own libraries (libstdc++, libgcc, winpthread), so a program needs no DLL beside it except the
# ones Windows itself provides; tests run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZR_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZR_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Windows' import libraries (libodbc32.a...) look static to CMake, which would switch the linker back to
# dynamic libraries after them and so pull in libstdc++-6.dll; keep the whole link static.
set(CMAKE_LINK_SEARCH_START_STATIC ON)
set(CMAKE_LINK_SEARCH_END_STATIC ON)
# GCC 12 reports a -Wrestrict false positive inside libstdc++'s string code for this target.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# ctest runs the test programs under Wine.
find_program(ZR_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(ZR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZR_WINE})
endif()
