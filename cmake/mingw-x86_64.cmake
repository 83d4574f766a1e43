# 64-bit Windows: the same sources, for machines that run 64-bit code only.
set(KESTRO_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
