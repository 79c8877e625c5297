# Cross-compiles for 64-bit Windows with the mingw-w64 POSIX-thread compilers
# (std::thread and std::mutex need the POSIX flavour). The runtime is linked
# statically so the programs run under Wine or on Windows without DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Libraries and packages come only from the mingw sysroot and from prefixes
# built for this target (QUOVIL_WIN_PREFIX: the cross-built GoogleTest).
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUOVIL_WIN_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET} ${QUOVIL_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs are run through Wine when ctest or gtest discovery needs them.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR AND EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()

# Header-only libraries of the build machine that the core uses (SimpleIni)
# are linked into the prefix's include folder, which every target sees.
if(QUOVIL_WIN_PREFIX)
  set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${QUOVIL_WIN_PREFIX}/include)
endif()
