# Cross-building for Windows with Debian's mingw-w64. ZELQA_WINDOWS_ARCH picks
# i686 (the shipped 32-bit program) or x86_64. The -posix compilers are the
# ones whose standard library has std::mutex and std::condition_variable.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT DEFINED ZELQA_WINDOWS_ARCH)
  set(ZELQA_WINDOWS_ARCH i686)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${ZELQA_WINDOWS_ARCH})
set(_triple ${ZELQA_WINDOWS_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
