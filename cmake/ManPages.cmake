# SPDX-License-Identifier: Apache-2.0
# Manual pages. Each is written in scdoc (docs/man/NAME.SECTION.scd), filled
# in with the versions by configure_file, turned into roff by scdoc when the
# project builds, and installed into CMAKE_INSTALL_MANDIR/manSECTION. Systems
# without man (Windows) leave them out; elsewhere a missing scdoc fails the
# configure rather than leaving an installation without its pages.

if(UNIX)
  set(QL5_BUILD_MANPAGES_DEFAULT ON)
else()
  set(QL5_BUILD_MANPAGES_DEFAULT OFF)
endif()
option(QL5_BUILD_MANPAGES "Build and install the manual pages (needs scdoc)"
  ${QL5_BUILD_MANPAGES_DEFAULT})
if(NOT QL5_BUILD_MANPAGES)
  return()
endif()

find_program(QL5_SCDOC scdoc)
if(NOT QL5_SCDOC)
  message(FATAL_ERROR "scdoc builds the manual pages: install it (scripts/setup does) "
    "or configure with -DQL5_BUILD_MANPAGES=OFF")
endif()

# The library's page names its version and the soname's major number.
get_target_property(QL5_DISCOVERY_VERSION ql5discovery VERSION)
get_target_property(QL5_DISCOVERY_VERSION_MAJOR ql5discovery SOVERSION)

set(QL5_MAN_PAGES ql5ctl.1 ql5sim.1 ql5discovery.3)
if(TARGET QL5Config)
  list(APPEND QL5_MAN_PAGES QL5Config.1)
endif()

set(QL5_MAN_OUTPUTS)
foreach(page IN LISTS QL5_MAN_PAGES)
  set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.scd)
  set(configured ${PROJECT_BINARY_DIR}/man/${page}.scd)
  set(output ${PROJECT_BINARY_DIR}/man/${page})
  configure_file(${source} ${configured} @ONLY)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "\"$0\" <\"$1\" >\"$2\" || { rm -f \"$2\"; exit 1; }"
            ${QL5_SCDOC} ${configured} ${output}
    DEPENDS ${configured}
    COMMENT "Writing the manual page ${page}"
    VERBATIM)
  list(APPEND QL5_MAN_OUTPUTS ${output})
  string(REGEX REPLACE "^.*\\." "" section ${page})
  install(FILES ${output} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
add_custom_target(manpages ALL DEPENDS ${QL5_MAN_OUTPUTS})
