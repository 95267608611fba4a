# Installation (cmake --install) and the Debian package (scripts/package.sh, CPack's DEB
# generator). The files besides the programs are in packaging/.
include(GNUInstallDirs)
set(QRO_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/qro4000-utility)

set(QRO_APP_ID org.qro4000.Utility)
set(QRO_DEB_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(QRO_PACKAGE_MAINTAINER "QRO4000 Utility contributors <maintainers@users.noreply.c-seed-31197301.example>"
  CACHE STRING "The Maintainer field of the Debian package")
set(QRO_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(QRO_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${QRO_PACKAGING_OUT}/man)

# On Windows and macOS only the programs are installed; the rest is for Linux desktops (and
# made with gzip).
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(QRO_LINUX_FILES ON)
endif()

# The programs, each with a manual page made from its own --help after it is linked (so the
# two never differ) and a one-line description for the page's NAME.
string(TIMESTAMP QRO_MAN_DATE "%Y-%m-%d" UTC)
set(QRO_MAN_PAGES)
function(qro_install_program program summary)
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Pages are made by running the program, so not in builds whose programs cannot run here.
  if(QRO_LINUX_FILES AND Python3_FOUND AND NOT CMAKE_CROSSCOMPILING AND NOT QRO_SANITIZE)
    set(page ${QRO_PACKAGING_OUT}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${Python3_EXECUTABLE} ${QRO_PACKAGING}/manpage.py $<TARGET_FILE:${program}> ${summary}
              ${QRO_DEB_VERSION} ${QRO_MAN_DATE} ${page} ${ARGN}
      COMMAND gzip -9nf ${page}
      DEPENDS ${program} ${QRO_PACKAGING}/manpage.py
      COMMENT "Writing the manual page ${program}(1) from its --help" VERBATIM)
    set(QRO_MAN_PAGES ${QRO_MAN_PAGES} ${page}.gz PARENT_SCOPE)
  endif()
endfunction()
qro_install_program(qro4000 "talk to a Brimwell QRO4000 amplifier from a terminal" "qro4000-utility(1)" "qro4000-sim(1)")
qro_install_program(qro4000-sim "a simulated Brimwell QRO4000 amplifier on a pseudo-terminal" "qro4000(1)")
if(QRO_BUILD_GUI)
  qro_install_program(qro4000-utility "set up, operate and update a Brimwell QRO4000 amplifier" "qro4000(1)" "qro4000-sim(1)")
endif()
if(NOT QRO_LINUX_FILES)
  return()
endif()

if(QRO_MAN_PAGES)
  add_custom_target(manpages ALL DEPENDS ${QRO_MAN_PAGES})
  install(FILES ${QRO_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The icon: the SVG, and PNG sizes drawn from it when rsvg-convert (librsvg2-bin) is there.
install(FILES ${QRO_PACKAGING}/qro4000-utility.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(QRO_RSVG_CONVERT rsvg-convert)
if(QRO_RSVG_CONVERT)
  set(QRO_ICON_PNGS)
  foreach(size 16 22 24 32 48 64 128 256)
    set(png ${QRO_PACKAGING_OUT}/icons/${size}x${size}/qro4000-utility.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${QRO_PACKAGING_OUT}/icons/${size}x${size}
      COMMAND ${QRO_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${QRO_PACKAGING}/qro4000-utility.svg
      DEPENDS ${QRO_PACKAGING}/qro4000-utility.svg VERBATIM)
    list(APPEND QRO_ICON_PNGS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(icons ALL DEPENDS ${QRO_ICON_PNGS})
else()
  message(STATUS "rsvg-convert not found (librsvg2-bin): only the SVG icon is installed")
endif()

# The menu entry and the software-centre description.
if(QRO_BUILD_GUI)
  install(FILES ${QRO_PACKAGING}/${QRO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QRO_PACKAGING}/${QRO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The station server as a service, one instance per port (qro4000-serve@dev-ttyQRO4000.service),
# and the udev rule that gives the port that stable name, as an example to fill in.
set(QRO_SYSTEMD_UNIT_DIR lib/systemd/system CACHE PATH "Where the systemd unit goes (under the prefix unless absolute)")
configure_file(${QRO_PACKAGING}/qro4000-serve@.service.in ${QRO_PACKAGING_OUT}/qro4000-serve@.service @ONLY)
install(FILES ${QRO_PACKAGING_OUT}/qro4000-serve@.service DESTINATION ${QRO_SYSTEMD_UNIT_DIR})
install(FILES ${QRO_PACKAGING}/70-qro4000.rules DESTINATION ${QRO_DOCDIR}/examples)

# Debian's documentation files: the machine-readable copyright and the changelog.
string(TIMESTAMP QRO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${QRO_PACKAGING}/changelog.in ${QRO_PACKAGING_OUT}/changelog @ONLY)
add_custom_command(OUTPUT ${QRO_PACKAGING_OUT}/changelog.gz
  COMMAND gzip -9nc ${QRO_PACKAGING_OUT}/changelog > ${QRO_PACKAGING_OUT}/changelog.gz
  DEPENDS ${QRO_PACKAGING_OUT}/changelog)
add_custom_target(debian-changelog ALL DEPENDS ${QRO_PACKAGING_OUT}/changelog.gz)
install(FILES ${QRO_PACKAGING}/copyright ${QRO_PACKAGING_OUT}/changelog.gz DESTINATION ${QRO_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qro4000-utility)
set(CPACK_PACKAGE_VERSION ${QRO_DEB_VERSION})
set(CPACK_PACKAGE_VENDOR "QRO4000 Utility contributors")
set(CPACK_PACKAGE_CONTACT "${QRO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "utility for the Brimwell QRO4000 HF linear amplifier")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A desktop program and a command-line tool for the Brimwell QRO4000, a
high-power HF linear amplifier with a built-in automatic antenna tuner,
connected by a serial or USB serial cable. They find the amplifier, read
and change its settings, show its meters and work its keys, back up and
restore its configuration memory, and load new firmware through its boot
loader. qro4000 serve shares the amplifier's port over the network.
.
A simulated amplifier (the port SIM, and qro4000-sim on a pseudo-terminal)
answers like the real one, for trying everything without hardware.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QRO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# A package from a tree configured for another prefix would name that prefix in its files.
file(WRITE ${CMAKE_BINARY_DIR}/CPackPrefixCheck.cmake
  "if(NOT \"${CMAKE_INSTALL_PREFIX}\" STREQUAL \"/usr\")\n"
  "  message(FATAL_ERROR \"configure with -DCMAKE_INSTALL_PREFIX=/usr (bash scripts/package.sh does)\")\n"
  "endif()\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackPrefixCheck.cmake)
include(CPack)

# The package's end-to-end test: it skips while build/ holds no package.
if(QRO_BUILD_TESTS)
  add_test(NAME e2e.package COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/package_test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e.package PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
endif()
