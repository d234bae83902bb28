# Cross-compiles a Windows build with Debian's MinGW-w64 posix-thread compilers (the win32-thread
# ones lack std::thread, which GoogleTest needs). The including toolchain file sets
# BRL_MINGW_TRIPLE, CMAKE_SYSTEM_PROCESSOR and BRL_WINE, the Wine loader of that word size.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${BRL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${BRL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BRL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${BRL_WINE})
# One self-contained DLL and self-contained test programs: no runtime DLLs to ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
