# SPDX-License-Identifier: Apache-2.0
# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model, which std::thread and std::mutex need). Everything links statically,
# so that the programs and the DLL need no MinGW runtime DLLs beside them.
# CTest runs the Windows programs through Wine (scripts/wine-exec).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QL5_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QL5_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QL5_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QL5_MINGW_TRIPLET}-windres)
set(CMAKE_OBJDUMP ${QL5_MINGW_TRIPLET}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${QL5_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)

get_filename_component(QL5_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QL5_SOURCE_ROOT}/scripts/wine-exec)

# Header-only packages of the build machine, seen through cmake/cross.
set(nlohmann_json_DIR ${QL5_SOURCE_ROOT}/cmake/cross CACHE PATH "nlohmann/json for the cross build")
