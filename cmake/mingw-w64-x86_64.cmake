# Cross-compiles for 64-bit Windows with the mingw-w64 tool chain (Debian: package mingw-w64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MARVOLET_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MARVOLET_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${MARVOLET_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${MARVOLET_MINGW_PREFIX}-windres)
set(CMAKE_AR ${MARVOLET_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${MARVOLET_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

# Target libraries come from the mingw sysroot and from prefixes given in CMAKE_PREFIX_PATH
# (the statically built libjpeg); programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${MARVOLET_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
