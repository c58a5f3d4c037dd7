# Shared by the MinGW-w64 toolchain files: they set CMAKE_SYSTEM_PROCESSOR
# and OV_MINGW_TRIPLE, then include this.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${OV_MINGW_TRIPLE}-gcc-posix ${OV_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${OV_MINGW_TRIPLE}-g++-posix ${OV_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${OV_MINGW_TRIPLE}-windres)
find_program(CMAKE_AR NAMES ${OV_MINGW_TRIPLE}-ar)
find_program(CMAKE_RANLIB NAMES ${OV_MINGW_TRIPLE}-ranlib)

set(CMAKE_FIND_ROOT_PATH /usr/${OV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static also pulls in winpthread, which the posix thread model needs;
# the Windows system DLLs are still imported as usual.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Test programs built for Windows run under Wine when it is there.
find_program(OV_WINE NAMES wine64 wine)
if(OV_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${OV_WINE})
endif()
