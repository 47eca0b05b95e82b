# The Debian package "pv7100": the panel, pv7100ctl, the simulator, the PJLink daemon and its
# systemd unit (not enabled), the desktop entry, the icon and a man page for each program.
# ./build.sh deb builds it.

# Man pages from each program's --help and --version, which answer without a display.
option(PV7100_MANPAGES "Generate the man pages with help2man" OFF)
if(PV7100_MANPAGES)
  find_program(HELP2MAN help2man REQUIRED)
  find_program(GZIP gzip REQUIRED)
  set(man_dir ${CMAKE_BINARY_DIR}/man)
  set(man_pages)
  foreach(entry
      "pv7100-panel|control panel of the QUIVA PV7100 data projector"
      "pv7100ctl|drive the QUIVA PV7100 data projector from scripts"
      "pv7100-sim|simulated QUIVA PV7100 data projector on a serial line"
      "pv7100d|serve a QUIVA PV7100 data projector on the network as a PJLink projector")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 summary)
    add_custom_command(OUTPUT ${man_dir}/${program}.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
      COMMAND ${HELP2MAN} --no-info --name=${summary}
        --output=${man_dir}/${program}.1 $<TARGET_FILE:${program}>
      COMMAND ${GZIP} -9nf ${man_dir}/${program}.1
      DEPENDS ${program}
      COMMENT "Man page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${man_dir}/${program}.1.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The licence (its text in LICENSE), as the package's machine-readable copyright file names it.
set(PV7100_LICENSE GPL-3.0-or-later)
set(PV7100_MAINTAINER "PV7100 control software team <pv7100-team@example.org>"
  CACHE STRING "The package's maintainer: the team, with the address that reaches it")
configure_file(packaging/copyright.in ${CMAKE_BINARY_DIR}/packaging/copyright @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pv7100)
set(CPACK_PACKAGE_VENDOR "QUIVA PV7100 control software team")
set(CPACK_PACKAGE_CONTACT "${PV7100_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "control panel, script tool, PJLink daemon and simulator for the QUIVA PV7100 projector")
set(CPACK_PACKAGE_DESCRIPTION
  "pv7100-panel drives the QUIVA PV7100 data projector over its RS-232C line from one window;
pv7100ctl does the same from scripts; pv7100d owns the projector's port and serves
the projector on the network as a PJLink Class 1 projector (systemd unit pv7100d@NAME,
not enabled); pv7100-sim simulates the projector on a pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not found by the shared-library scan: the panel's faces, and Qt's platform plugins, which
# Qt loads at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
include(CPack)
