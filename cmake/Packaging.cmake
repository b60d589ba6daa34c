# What `cmake --install` puts where, and the Debian package CPack makes of it.

set(TIMBURIK_MAINTAINER "Timburik maintainers <maintainers@users.noreply.c-seed-79c5ab46.example>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")
set(TIMBURIK_HOMEPAGE "https://timburik.org" CACHE STRING
    "The game's home page; the software-centre screenshot is published under it as screenshots/play.png")
# Fixed, not the build's date, so two builds of one version give the same files.
set(TIMBURIK_RELEASE_DATE "2026-12-08")
set(TIMBURIK_RELEASE_RFC2822 "Tue, 08 Dec 2026 12:00:00 +0000")
set(TIMBURIK_DEVELOPER "Timburik maintainers")
# The repository grants no licence yet; packaging/copyright says the same in Debian's words.
set(TIMBURIK_LICENSE_SPDX "LicenseRef-proprietary")

set(pkg ${CMAKE_SOURCE_DIR}/packaging)
set(gen ${CMAKE_BINARY_DIR}/packaging)
set(app_id org.timburik.timburik)

install(TARGETS timburik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The checker keeps its short name in the build tree (the README's command) and is installed
# under one that says whose it is.
install(PROGRAMS $<TARGET_FILE:wordcheck> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME timburik-wordcheck)
# --strip (and CPack) strip only install(TARGETS), and leave the compiler's notes; strip both
# programs as Debian's own tools do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program timburik timburik-wordcheck)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()")

# Only what the game reads: never a child's progress or a half-written file left in data/
# by a run from the source tree.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/timburik
        FILES_MATCHING PATTERN "Words.str" PATTERN "*.bmp" PATTERN "*.wav")

configure_file(${pkg}/org.timburik.timburik.metainfo.xml.in ${gen}/${app_id}.metainfo.xml @ONLY)
configure_file(${pkg}/changelog.in ${gen}/changelog @ONLY)
foreach(page timburik.6 timburik-wordcheck.6)
  configure_file(${pkg}/${page}.in ${gen}/${page} @ONLY)
endforeach()

# Debian keeps manual pages and changelogs compressed at the highest level, without a name or
# time in the header, so that rebuilding gives the same bytes.
find_program(GZIP gzip REQUIRED)
set(compressed)
foreach(f timburik.6 timburik-wordcheck.6 changelog)
  add_custom_command(OUTPUT ${gen}/${f}.gz
    COMMAND sh -c "\"$1\" -9nc \"$2\" > \"$3\"" sh ${GZIP} ${gen}/${f} ${gen}/${f}.gz
    DEPENDS ${gen}/${f} VERBATIM)
  list(APPEND compressed ${gen}/${f}.gz)
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${compressed})

install(FILES ${pkg}/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${gen}/${app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 64 128 256)
  install(FILES ${pkg}/icons/${size}x${size}/timburik.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${gen}/timburik.6.gz ${gen}/timburik-wordcheck.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${pkg}/copyright ${gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME timburik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TIMBURIK_MAINTAINER}")
set(CPACK_PACKAGE_VENDOR "${TIMBURIK_DEVELOPER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reading game for children learning the Russian alphabet")
# CPack puts the summary above this as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A full-screen game for children of four to seven. A picture of an object is
shown; the letters of its name lie face down as shuffled tiles, and the child
drags them one by one into a row of cells. A right word sounds a drum, every
fifth word earns a smiling face, and a hint solves the word at the price of
its point.
.
Two children keep separate progress in the user's home folder, and parents
can add their own words and pictures there without administrator rights.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TIMBURIK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TIMBURIK_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Captions are drawn with whatever sans-serif font fontconfig finds; no library names it, so
# a system without any font would show none. SDL_ttf and fontconfig are loaded by name when
# first needed, so the program's own library dependencies do not record them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libsdl2-ttf-2.0-0 (>= 2.20), libfontconfig1 (>= 2.13)")
# "Выбрать фото" opens the desktop's file chooser: the portal's, through libsystemd's sd-bus
# (loaded when asked for), else zenity's or kdialog's. Without any, the parents' corner still
# takes a dropped photo and offers the Pictures folder's.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsystemd0, xdg-desktop-portal | zenity | kdialog")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
