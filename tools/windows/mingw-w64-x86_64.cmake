# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (x86_64-w64-mingw32).
#   cmake -DCMAKE_TOOLCHAIN_FILE=tools/windows/mingw-w64-x86_64.cmake \
#         -DCHRONWICK_WINDOWS_PREFIX=<what tools/windows/build-libs.sh prints> ...
# The unsuffixed compiler names follow Debian's alternative (the win32 thread model unless the
# machine's admin chose -posix), so this file and the libraries agree on one compiler.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# The prefix of the cross-built libraries, from -D or the environment; try_compile projects
# get it passed on too.
if(NOT CHRONWICK_WINDOWS_PREFIX AND DEFINED ENV{CHRONWICK_WINDOWS_PREFIX})
    set(CHRONWICK_WINDOWS_PREFIX "$ENV{CHRONWICK_WINDOWS_PREFIX}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CHRONWICK_WINDOWS_PREFIX)

# Libraries, headers and packages come from the prefix and mingw's own tree only, never from
# the build machine's /usr; programs (pkg-config, windres, wine) are the host's.
set(CMAKE_FIND_ROOT_PATH ${CHRONWICK_WINDOWS_PREFIX} /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the cross .pc files. Debian's wrapper (mingw-w64-tools) is used when
# installed; with PKG_CONFIG_LIBDIR set it behaves as plain pkg-config does.
if(CHRONWICK_WINDOWS_PREFIX)
    set(ENV{PKG_CONFIG_LIBDIR}
        "${CHRONWICK_WINDOWS_PREFIX}/lib/pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig")
    set(ENV{PKG_CONFIG_PATH} "")
endif()
find_program(PKG_CONFIG_EXECUTABLE NAMES x86_64-w64-mingw32-pkg-config pkg-config)
