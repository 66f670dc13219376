# Installation and the Debian package. `cmake --install` puts the discovery
# library with its header, pkg-config file and CMake package configuration,
# ql5ctl and ql5sim into the standard places; QL5Config, its desktop entry and
# icons are installed by ui/CMakeLists.txt. `cpack` turns the same
# installation into a .deb.

include(CMakePackageConfigHelpers)

# --- The discovery library, for other programs -----------------------------

# The library has a version of its own (from its public header), which the
# pkg-config file and the CMake package carry; the project's version names the
# programs and the Debian package.
get_target_property(QL5_DISCOVERY_VERSION ql5discovery VERSION)

# Other projects see the library as ql5::discovery, the same name it has
# inside this build.
set_target_properties(ql5discovery PROPERTIES EXPORT_NAME discovery)
install(TARGETS ql5discovery EXPORT ql5discoveryTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/discovery/include/ql5/discovery.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ql5)

set(QL5_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ql5discovery)
install(EXPORT ql5discoveryTargets
  NAMESPACE ql5::
  FILE ql5discoveryTargets.cmake
  DESTINATION ${QL5_CMAKE_PACKAGE_DIR})
configure_package_config_file(
  ${CMAKE_CURRENT_LIST_DIR}/ql5discoveryConfig.cmake.in
  ${PROJECT_BINARY_DIR}/packaging/ql5discoveryConfig.cmake
  INSTALL_DESTINATION ${QL5_CMAKE_PACKAGE_DIR})
# The library's interface keeps its meaning within one major version.
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/packaging/ql5discoveryConfigVersion.cmake
  VERSION ${QL5_DISCOVERY_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/packaging/ql5discoveryConfig.cmake
  ${PROJECT_BINARY_DIR}/packaging/ql5discoveryConfigVersion.cmake
  DESTINATION ${QL5_CMAKE_PACKAGE_DIR})

# The pkg-config file finds the prefix from its own location, so it stays
# right under any --prefix, DESTDIR or package root.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  message(FATAL_ERROR "ql5discovery.pc needs relative CMAKE_INSTALL_LIBDIR and INCLUDEDIR")
endif()
file(RELATIVE_PATH QL5_PC_PREFIX_FROM_PCFILEDIR
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" QL5_PC_PREFIX_FROM_PCFILEDIR "${QL5_PC_PREFIX_FROM_PCFILEDIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/ql5discovery.pc.in
  ${PROJECT_BINARY_DIR}/packaging/ql5discovery.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/ql5discovery.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# --- Programs ------------------------------------------------------------------

foreach(program ql5ctl ql5sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# --- Debian package ------------------------------------------------------------

set(QL5_PACKAGE_MAINTAINER "QL5Config maintainers <maintainers@example.invalid>"
  CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ql5config)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION [[
QL5Config finds every QL5 serial-to-network converter on the networks of
the workstation, shows what each one reports, gives it a static address or
DHCP, and reboots it. The package holds the desktop utility QL5Config, the
command-line tool ql5ctl, the converter simulator ql5sim, and the discovery
library with its header, pkg-config file and CMake package configuration.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QL5_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# Dependencies are read from the programs themselves (dpkg-shlibdeps), so a
# build without the desktop utility does not pull in Qt.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
include(CPack)
