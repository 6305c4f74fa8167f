# Shared by the two mingw-w64 toolchain files. The posix-thread flavour of
# the compiler is the one GoogleTest builds with; linked statically, the
# programs need no runtime DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VX_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VX_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VX_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VX_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Tests run under Wine; scripts/wine-env.sh sets up the prefix and display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine)

# Release programs carry no symbols (the checksum is written after linking).
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
