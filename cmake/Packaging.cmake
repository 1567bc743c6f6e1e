# Install rules and the Debian package (tools/package.sh):
#
#   <prefix>/bin/zelvo730, zelvo730-sim, zelvo730-eval, zelvo730-report
#   <prefix>/share/zelvo730/        default substance lists (their presence beside bin/ is
#                                   how the program knows it is installed)
#   <prefix>/share/applications/, icons/hicolor/, metainfo/, man/man1/
#   <prefix>/lib/udev/rules.d/      keeps ModemManager off the instrument's serial adapters
#
# The same build serves a program copied into a folder of its own and an installed one: the
# executables decide at run time where their files live.
include(GNUInstallDirs)

set(ZELVO_PACKAGE_NAME zelvo730)
# The day of this version (project() above holds the version itself), for the AppStream
# release entry.
set(ZELVO_RELEASE_DATE 2026-12-11)

# The window's executable is built as Zelvo730 (the name on the instrument's PCs) and
# installed as zelvo730, after install(TARGETS) has stripped it.
install(TARGETS Zelvo730 zelvo730-eval zelvo730-report RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET zelvo730-sim)
  install(TARGETS zelvo730-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(CODE "
  set(_bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(RENAME \"\${_bin}/Zelvo730\" \"\${_bin}/zelvo730\")
  list(TRANSFORM CMAKE_INSTALL_MANIFEST_FILES REPLACE \"/Zelvo730$\" \"/zelvo730\")
")

install(FILES resources/CH-Substanzen.txt resources/S-Substanzen.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/${ZELVO_PACKAGE_NAME})
install(FILES resources/linux/zelvo730.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/linux/zelvo730.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(resources/linux/zelvo730.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/zelvo730.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/zelvo730.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# udev reads /usr/lib/udev/rules.d: the package's place (prefix /usr). Installed under another
# prefix the rule is inactive until copied to /etc/udev/rules.d.
install(FILES resources/linux/60-zelvo730.rules DESTINATION lib/udev/rules.d)

# Manual pages: roff with the version filled in, compressed as Debian keeps them.
find_program(ZELVO_GZIP gzip REQUIRED)
set(_pages)
foreach(page zelvo730 zelvo730-sim zelvo730-eval zelvo730-report)
  set(VERSION ${PROJECT_VERSION})
  configure_file(doc/man/${page}.1 ${CMAKE_BINARY_DIR}/packaging/man/${page}.1 @ONLY)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/packaging/man/${page}.1.gz
    COMMAND ${ZELVO_GZIP} -9 -n -f -k ${page}.1
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/man/${page}.1
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/packaging/man
    VERBATIM)
  list(APPEND _pages ${CMAKE_BINARY_DIR}/packaging/man/${page}.1.gz)
endforeach()
add_custom_target(zelvo_man_pages ALL DEPENDS ${_pages})
install(FILES ${_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ZELVO_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zelvo730 developers <zelvo730@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operator program of the permeation test instrument")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Drives the chemical permeation test instrument over its serial ports, draws the\n\
detector signals, evaluates the peaks, decides the breakthrough of every test cell\n\
and writes the result and raw data files. With a simulated instrument, a tool that\n\
evaluates raw data files again and a tool that makes the test report.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# Folders that belong to the system are not the package's.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
