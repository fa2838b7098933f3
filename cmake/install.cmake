# What `cmake --install` puts where, and the Debian package that
# `cpack -G DEB` (scripts/package.sh) makes of it:
#   bin/                      velkor, halvex, unitsim, unit-lab
#   share/man/man1/           their manual pages, compressed
#   share/unit-tools/         halvex's help file, the lab runner with the
#                             default and the fleet lab, example unit
#                             descriptions, the firmware-image maker
#   share/doc/unit-tools/     copyright and changelog
set(UNIT_TOOLS_SHARE ${CMAKE_INSTALL_DATADIR}/unit-tools)
set(UNIT_TOOLS_DOC ${CMAKE_INSTALL_DATADIR}/doc/unit-tools)

# Manual pages and the changelog go compressed, as Debian's policy wants.
set(compressed)
foreach(page velkor halvex unitsim unit-lab)
  list(APPEND compressed ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
                     COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/man/${page}.1
                             > ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz
                     DEPENDS ${PROJECT_SOURCE_DIR}/man/${page}.1 VERBATIM)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                   COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog
                           > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                   DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog VERBATIM)
add_custom_target(compressed_docs ALL DEPENDS ${compressed} ${CMAKE_BINARY_DIR}/packaging/changelog.gz)

install(TARGETS velkor unitsim halvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS lab/unit-lab DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES manager/readme.txt lab/default-lab.toml lab/fleet-lab.toml
        DESTINATION ${UNIT_TOOLS_SHARE})
install(DIRECTORY unitsim/examples/ DESTINATION ${UNIT_TOOLS_SHARE}/examples
        FILES_MATCHING PATTERN "*.toml")
install(PROGRAMS lab/firmware-images.sh lab/run-lab.sh DESTINATION ${UNIT_TOOLS_SHARE})
install(FILES packaging/debian/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${UNIT_TOOLS_DOC})

set(CPACK_PACKAGE_NAME unit-tools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "unit-tools maintainers <maintainers@unit-tools.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tools for wireless routers, access points and customer units")
# The extended description, in lines that fit (the summary above is its
# first line).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "velkor is a command-line client of the management server that every unit
runs on TCP port 856: backup and restore, scripts, hotspot pages, reports,
wireless and user-session views, throughput test and firmware upgrade.
halvex is a full-screen manager of one /24 block: it sweeps the block, asks
every unit what it is, and upgrades or reboots the selected units.
unitsim is a simulated unit, and unit-lab runs a private lab network of
them to rehearse in.")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS snmp)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "snmpd, iproute2")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
