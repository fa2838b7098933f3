# The Windows release: `cpack -G ZIP` over the mingw-w64 build
# (scripts/package.sh windows) makes unit-tools-<version>-win64.zip with
# the two programs, halvex's help file (readme.txt, which F10 opens), an
# example settings file, the empty folders halvex works with, and
# README-FIRST.txt on what the programs need (not README.txt: Windows does
# not tell it from readme.txt); the text files in CR LF.
set(windows_text ${CMAKE_BINARY_DIR}/windows-text)
foreach(text manager/readme.txt packaging/windows/README-FIRST.txt packaging/windows/halvex.ini)
  get_filename_component(name ${text} NAME)
  file(READ ${PROJECT_SOURCE_DIR}/${text} content)
  string(REPLACE "\r\n" "\n" content "${content}")
  string(REPLACE "\n" "\r\n" content "${content}")
  file(WRITE ${windows_text}/${name} "${content}")
endforeach()

install(TARGETS velkor halvex RUNTIME DESTINATION .)
install(FILES ${windows_text}/readme.txt ${windows_text}/README-FIRST.txt ${windows_text}/halvex.ini
        DESTINATION .)
install(DIRECTORY DESTINATION firmware)
install(DIRECTORY DESTINATION network)

set(CPACK_PACKAGE_NAME unit-tools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME unit-tools-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR ZIP)
include(CPack)
