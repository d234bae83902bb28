# The 64-bit Windows build. Its tests run under Debian's 64-bit Wine loader, which needs no
# 32-bit support from the kernel.
set(BRL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(BRL_WINE /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
