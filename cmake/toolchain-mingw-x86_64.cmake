# The same sources for x86-64, for machines whose Wine can only run 64-bit
# programs.
set(MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
