# 32-bit Windows with mingw-w64 (Debian's g++-mingw-w64-i686-posix).
#
#   cmake -S . -B build/windows -DTAVORIN_UI=OFF \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake
#
# With the windows: -DTAVORIN_QT_MAJOR=5 -DTAVORIN_WINDOWS_QT=<the 32-bit
# Windows Qt folder that tools/windows-qt prints>.
#
# 32-bit because the printer maker's driver library is 32-bit: a 64-bit
# program cannot load it. The -posix compilers are named explicitly: the
# win32 thread model has no std::mutex or std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(TAVORIN_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVORIN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVORIN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVORIN_MINGW_PREFIX}-windres)

set(TAVORIN_WINDOWS_QT "" CACHE PATH "32-bit Windows Qt 5 folder (see tools/windows-qt)")
set(CMAKE_FIND_ROOT_PATH /usr/${TAVORIN_MINGW_PREFIX} ${TAVORIN_WINDOWS_QT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime (libgcc, libstdc++, winpthread): the programs and the
# simulated printer's DLL run on a bare Windows with no mingw DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Tests run under wine on Linux; ctest puts this in front of
# add_test(COMMAND <target>) only.
if(NOT CMAKE_HOST_WIN32 AND NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(TAVORIN_WINE wine)
  if(TAVORIN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVORIN_WINE})
  endif()
endif()
