# The same program as a 64-bit Windows build, for hosts whose kernel cannot
# run 32-bit code (and so no 32-bit Wine): the tests run this one there.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VX_MINGW x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
