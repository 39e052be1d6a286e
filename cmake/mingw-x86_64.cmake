# A 64-bit build of the same sources, for running the tests under a 64-bit
# Wine on machines whose kernel cannot run 32-bit Linux programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ML_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
