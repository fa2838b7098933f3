# What `cmake --install` puts where, and the Debian package that
# `cpack -G DEB` (scripts/package.sh) makes of it:
#   bin/                      velkor, halvex, unitsim
#   share/man/man1/           their manual pages
#   share/unit-tools/         halvex's help file, the default lab description,
#                             example unit descriptions, firmware-image maker
set(UNIT_TOOLS_SHARE ${CMAKE_INSTALL_DATADIR}/unit-tools)

install(TARGETS velkor unitsim halvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES man/velkor.1 man/halvex.1 man/unitsim.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES manager/readme.txt lab/default-lab.toml DESTINATION ${UNIT_TOOLS_SHARE})
install(DIRECTORY unitsim/examples/ DESTINATION ${UNIT_TOOLS_SHARE}/examples
        FILES_MATCHING PATTERN "*.toml")
install(PROGRAMS lab/firmware-images.sh DESTINATION ${UNIT_TOOLS_SHARE})

set(CPACK_PACKAGE_NAME unit-tools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "unit-tools maintainers <maintainers@unit-tools.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "console tools for wireless routers, access points and customer units")
set(CPACK_PACKAGE_DESCRIPTION
    "velkor is a command-line client of the management server every unit runs on TCP port 856 \
(backup and restore, scripts, hotspot pages, reports, wireless and user-session views, throughput \
test, firmware upgrade); halvex is a full-screen manager of one /24 block that sweeps it, asks every \
unit what it is and upgrades or reboots the selected units; unitsim is a simulated unit.")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS snmp)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_GENERATOR DEB)
include(CPack)
