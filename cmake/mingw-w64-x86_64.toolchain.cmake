# Cross-compiling for Windows with MinGW-w64 (x86_64).
#   cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.toolchain.cmake
# Uses the -posix thread model variants of the Debian compilers
# (g++-mingw-w64-x86-64-posix) and links libgcc and libstdc++
# statically so the programs need no MinGW DLLs beside them.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(OV_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
