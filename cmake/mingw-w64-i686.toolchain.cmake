# Cross-compiling for Windows with MinGW-w64 (i686).
#   cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.toolchain.cmake
# Uses the -posix thread model variants of the Debian compilers
# (g++-mingw-w64-i686-posix) and links libgcc and libstdc++
# statically so the programs need no MinGW DLLs beside them.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(OV_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
