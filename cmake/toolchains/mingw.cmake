# Cross-compiling for Windows with mingw-w64: the architecture's toolchain
# file sets ve_mingw_triple and includes this. The -posix compilers give
# C++ the std::thread and std::mutex the system's sources use.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ve_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ve_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${ve_mingw_triple}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

# Libraries and headers come from the target's root, programs from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${ve_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
