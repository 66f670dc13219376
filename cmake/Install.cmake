# SPDX-License-Identifier: Apache-2.0
# Installation. `cmake --install` puts the discovery library with its header,
# pkg-config file and CMake package configuration, ql5ctl with its shell
# completions, ql5sim, the manual pages and QL5Config's desktop metadata into
# the standard places; QL5Config itself, its desktop entry and its bitmap
# icons are installed by ui/CMakeLists.txt. The Debian packages are made from
# the same installation by debian/ (dpkg-buildpackage, or scripts/package).

include(CMakePackageConfigHelpers)

# --- The discovery library, for other programs -----------------------------

# The library has a version of its own (from its public header), which the
# pkg-config file and the CMake package carry; the project's version names the
# programs and the packages.
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

include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)

# --- Shell completion of ql5ctl ---------------------------------------------------

# bash-completion loads a command's completion on demand from its
# completionsdir; the path is kept relative to bash-completion's own prefix,
# so that an installation under another prefix carries it in the same place
# below that prefix. zsh finds functions on its fpath, whose folder for
# packaged completions differs between distributions (Debian's is
# share/zsh/vendor-completions).
set(QL5_BASH_COMPLETION_DEFAULT ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_get_variable(QL5_BASH_COMPLETION_PC_DIR bash-completion completionsdir)
  pkg_get_variable(QL5_BASH_COMPLETION_PC_PREFIX bash-completion prefix)
  if(QL5_BASH_COMPLETION_PC_DIR AND QL5_BASH_COMPLETION_PC_PREFIX)
    string(LENGTH "${QL5_BASH_COMPLETION_PC_PREFIX}/" prefix_length)
    string(SUBSTRING "${QL5_BASH_COMPLETION_PC_DIR}" 0 ${prefix_length} dir_start)
    if(dir_start STREQUAL "${QL5_BASH_COMPLETION_PC_PREFIX}/")
      string(SUBSTRING "${QL5_BASH_COMPLETION_PC_DIR}" ${prefix_length} -1
        QL5_BASH_COMPLETION_DEFAULT)
    endif()
  endif()
endif()
set(QL5_BASH_COMPLETION_DIR ${QL5_BASH_COMPLETION_DEFAULT} CACHE STRING
  "Where bash-completion finds ql5ctl's completion, relative to the prefix or absolute")
set(QL5_ZSH_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/zsh/site-functions CACHE STRING
  "A folder on zsh's fpath for ql5ctl's completion, relative to the prefix or absolute")
if(TARGET ql5ctl AND UNIX)
  install(FILES ${PROJECT_SOURCE_DIR}/completions/bash/ql5ctl
    DESTINATION ${QL5_BASH_COMPLETION_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/completions/zsh/_ql5ctl
    DESTINATION ${QL5_ZSH_COMPLETION_DIR})
endif()

# --- ql5ctl for Prometheus and Ansible --------------------------------------------

# A systemd service and timer that write the listing for node_exporter's
# textfile collector; packages install them disabled. Debian 12 keeps units
# in /lib/systemd/system (debian/rules says so).
set(QL5_SYSTEMD_UNIT_DIR lib/systemd/system CACHE STRING
  "Where systemd finds ql5ctl's service and timer, relative to the prefix or absolute")
# The Ansible collection ql5.converters, where Debian's Ansible finds collections.
set(QL5_ANSIBLE_COLLECTIONS_DIR ${CMAKE_INSTALL_DATADIR}/ansible/collections CACHE STRING
  "Ansible's collections folder, relative to the prefix or absolute")
if(TARGET ql5ctl AND UNIX)
  configure_file(${PROJECT_SOURCE_DIR}/tools/ql5ctl/systemd/ql5ctl-prometheus.service.in
    ${PROJECT_BINARY_DIR}/packaging/ql5ctl-prometheus.service @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/ql5ctl-prometheus.service
    ${PROJECT_SOURCE_DIR}/tools/ql5ctl/systemd/ql5ctl-prometheus.timer
    DESTINATION ${QL5_SYSTEMD_UNIT_DIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/integrations/ansible/ql5/converters
    DESTINATION ${QL5_ANSIBLE_COLLECTIONS_DIR}/ansible_collections/ql5
    PATTERN __pycache__ EXCLUDE
    # Galaxy shows the README; Ansible needs it not, and Debian keeps
    # documentation in /usr/share/doc.
    PATTERN README.md EXCLUDE)
endif()

# --- Desktop metadata of QL5Config -----------------------------------------------

# The scalable icon beside the bitmap ones, and the AppStream description
# under the application's id (resources/*.metainfo.xml explains the id).
if(TARGET QL5Config)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/ql5config.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/invalid.example.ql5config.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# --- Archives ------------------------------------------------------------------

# The Debian packages come from debian/. CPack stays for archives of the same
# installation where there is no package manager: `cpack` in the build folder
# makes a .tar.gz here, and a Windows build a .zip.
set(CPACK_PACKAGE_NAME ql5config)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR TGZ)
endif()
include(CPack)
