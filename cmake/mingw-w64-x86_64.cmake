# Cross-compiling the Qt-free targets for 64-bit Windows with Debian's
# mingw-w64 (posix thread model, the only one Debian's GoogleTest builds
# with). Runtimes are linked statically: a test program that needs the
# mingw DLLs exits silently under Wine. Programs run through scripts/wine-run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)

# Qt for Windows (scripts/build-qt-windows prints its folder): its prefix is
# one more root, since the ONLY mode re-roots every find_package.
set(KESTRANE_QT_WINDOWS_PREFIX "$ENV{KESTRANE_QT_WINDOWS_PREFIX}" CACHE PATH
    "Prefix of Qt 5 for Windows (empty: only the Qt-free targets are built)")
if(KESTRANE_QT_WINDOWS_PREFIX)
    list(APPEND CMAKE_FIND_ROOT_PATH ${KESTRANE_QT_WINDOWS_PREFIX})
endif()
