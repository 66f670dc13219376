# SPDX-License-Identifier: Apache-2.0
# nlohmann/json for the Windows cross build. The library is header-only, but
# Debian's package configuration names /usr/include, which must not reach the
# MinGW compiler (it would find the host's C library headers there). The
# headers are linked into a folder of their own in the build tree instead.
set(QL5_CROSS_JSON_INCLUDE ${CMAKE_BINARY_DIR}/cross-include)
if(NOT EXISTS ${QL5_CROSS_JSON_INCLUDE}/nlohmann/json.hpp)
  if(NOT EXISTS /usr/include/nlohmann/json.hpp)
    set(nlohmann_json_FOUND FALSE)
    set(nlohmann_json_NOT_FOUND_MESSAGE "/usr/include/nlohmann/json.hpp is missing (nlohmann-json3-dev)")
    return()
  endif()
  file(MAKE_DIRECTORY ${QL5_CROSS_JSON_INCLUDE})
  file(CREATE_LINK /usr/include/nlohmann ${QL5_CROSS_JSON_INCLUDE}/nlohmann SYMBOLIC)
endif()
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${QL5_CROSS_JSON_INCLUDE})
endif()
