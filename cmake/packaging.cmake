# The Debian package "pv7100": the panel, pv7100ctl, the simulator, the PJLink daemon and its
# systemd unit (not enabled), the power schedules' timers (not enabled), alerting rules for
# Prometheus, the desktop entry, the icon, a man page for each program, the documentation, the
# copyright file and the changelog. ./build.sh deb builds it.

# The licence (its text in LICENSE), as the package's machine-readable copyright file names it.
set(PV7100_LICENSE GPL-3.0-or-later)
set(PV7100_MAINTAINER "PV7100 control software team <pv7100-team@example.org>"
  CACHE STRING "The package's maintainer: the team, with the address that reaches it")
find_program(GZIP gzip REQUIRED)

# The README and the chapters and pictures it links to, so that the links hold where they are
# installed.
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
file(GLOB chapters docs/*.md docs/*.png)
install(FILES ${chapters} docs/layers.svg DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

# Man pages from each program's --help and --version, which answer without a display, each
# pointing to its chapter.
option(PV7100_MANPAGES "Generate the man pages with help2man" OFF)
if(PV7100_MANPAGES)
  find_program(HELP2MAN help2man REQUIRED)
  set(man_dir ${CMAKE_BINARY_DIR}/man)
  set(man_pages)
  set(programs pv7100-panel pv7100ctl pv7100-sim pv7100d)
  foreach(entry
      "pv7100-panel|panel|control panel of the QUIVA PV7100 data projector"
      "pv7100ctl|pv7100ctl|drive the QUIVA PV7100 data projector from scripts"
      "pv7100-sim|simulator|simulated QUIVA PV7100 data projector on a serial line"
      "pv7100d|pv7100d|serve a QUIVA PV7100 data projector on the network as a PJLink projector")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 chapter)
    list(GET entry 2 summary)
    set(others ${programs})
    list(REMOVE_ITEM others ${program})
    list(TRANSFORM others APPEND "(1)")
    list(JOIN others ", " others)
    set(see_also ${man_dir}/${program}.see-also)
    file(WRITE ${see_also} "[SEE ALSO]\n${others}.\n.PP\nThe full documentation is in\n"
      "${CMAKE_INSTALL_FULL_DOCDIR}/docs/${chapter}.md, the others beside it, and\n"
      "${CMAKE_INSTALL_FULL_DOCDIR}/README.md.\n")
    add_custom_command(OUTPUT ${man_dir}/${program}.1.gz
      COMMAND ${HELP2MAN} --no-info --name=${summary} --include=${see_also}
        --output=${man_dir}/${program}.1 $<TARGET_FILE:${program}>
      COMMAND ${GZIP} -9nf ${man_dir}/${program}.1
      DEPENDS ${program} ${see_also}
      COMMENT "Man page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${man_dir}/${program}.1.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

configure_file(packaging/copyright.in ${CMAKE_BINARY_DIR}/packaging/copyright @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# A native package's changelog, in Debian's format, whose newest entry is this version. gzip -n
# leaves the name and time out, so that the same sources give the same package.
file(STRINGS packaging/changelog.in changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^pv7100 \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog.in: its newest entry is not version "
    "${PROJECT_VERSION}: add an entry for it")
endif()
configure_file(packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${GZIP} -9nkf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The daemons' traffic logs rotated weekly; a conffile, as everything under /etc.
install(FILES packaging/logrotate DESTINATION /etc/logrotate.d RENAME pv7100)
# The schedules: a timer and a service per power action for each daemon's instance
# (pv7100-power-off@hall.timer), not enabled; both pairs made from one pair of templates.
foreach(entry "on|Mon..Fri 07:45" "off|22:00")
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 ACTION)
  list(GET entry 1 CALENDAR)
  foreach(kind service timer)
    set(unit ${CMAKE_BINARY_DIR}/packaging/pv7100-power-${ACTION}@.${kind})
    configure_file(packaging/schedule/pv7100-power@.${kind}.in ${unit} @ONLY)
    install(FILES ${unit} DESTINATION lib/systemd/system)
  endforeach()
endforeach()
# Prometheus's alerting rules for the daemons' metrics, with the daemon's example config.
install(FILES packaging/pv7100-alerts.yml DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# Stripped as Debian's own tools strip: also without the compilers' .comment section. The
# programs are installed by now (install rules run in the order they are declared).
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program pv7100-panel pv7100ctl pv7100-sim pv7100d)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pv7100)
set(CPACK_PACKAGE_VENDOR "QUIVA PV7100 control software team")
set(CPACK_PACKAGE_CONTACT "${PV7100_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control software for the QUIVA PV7100 data projector")
# Lines under 80 columns, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION
  "Drives the QUIVA PV7100 data projector over its RS-232C serial line.
pv7100-panel is the control panel: one window for every command, with
monitor lines for the traffic and the decoded status. pv7100ctl does the
same from scripts. pv7100d owns the projector's port and serves the
projector on the network as a PJLink Class 1 projector, sharing the line
with the panel and pv7100ctl on a local socket (systemd unit pv7100d@NAME,
not enabled); on request it serves a remote page for any browser, a JSON
API and metrics for Prometheus. pv7100-sim simulates the projector on a
pseudo-terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not found by the shared-library scan: the panel's faces, Qt's platform plugins, which Qt loads
# at run time, and what creates the daemon's system user.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "fonts-ipafont-gothic, qt6-qpa-plugins, systemd | systemd-standalone-sysusers | systemd-sysusers")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/postinst
  ${PROJECT_SOURCE_DIR}/packaging/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
include(CPack)
