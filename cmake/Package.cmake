# The Debian package: `cpack -G DEB` in the build folder makes
# etextbook_VERSION-1_amd64.deb from the install rules (cmake/Install.cmake).
# Depends: what dpkg-shlibdeps finds in the binaries, plus what the program loads
# at run time without linking it: Qt's SQLite driver, Qt's Russian translations, the GStreamer plugins for .avi, .wmv, .mpg
# and .mp4, and the fonts the windows ask for (see scripts/setup.sh).
set(ETEXTBOOK_MAINTAINER "Команда «Электронного учебника» <etextbook@example.org>")
# The package's own revision: 1 for the first package of every version.
set(ETEXTBOOK_DEBIAN_REVISION 1)

configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.Debian.in ${ETEXTBOOK_GENERATED}/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${ETEXTBOOK_GENERATED}/changelog.Debian.gz
  COMMAND gzip -9nc ${ETEXTBOOK_GENERATED}/changelog.Debian > ${ETEXTBOOK_GENERATED}/changelog.Debian.gz
  DEPENDS ${ETEXTBOOK_GENERATED}/changelog.Debian)
add_custom_target(etextbook-changelog ALL DEPENDS ${ETEXTBOOK_GENERATED}/changelog.Debian.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${ETEXTBOOK_GENERATED}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME etextbook)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME etextbook)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ETEXTBOOK_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "electronic textbook for a school course: lectures, videos, tests")
set(CPACK_PACKAGE_DESCRIPTION
  "Электронный учебник is a desktop program for one school course, with a
Russian user interface. Students sign in, read lectures and lab works, watch
videos and take a test of 30 questions drawn at random from a question bank;
their scores are stored. The administrator edits the question bank, the study
materials and the accounts.

A course is one folder holding its SQLite database (db.mdb) and its materials.
The menu entry starts etextbook-launcher, which uses /srv/etextbook when the
technician has made a course there, and otherwise makes a demo course in the
user's data folder on the first start. The course tool etextbook-db makes empty
and demo courses and converts courses of the old Windows version (Microsoft
Access files).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ETEXTBOOK_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ETEXTBOOK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6sql6-sqlite, qt6-translations-l10n, \
gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, \
gstreamer1.0-plugins-ugly, gstreamer1.0-libav, \
fonts-urw-base35, fonts-liberation2, fonts-dejavu-core")
# A window for the launcher's error messages; LibreOffice shows office lectures
# (.doc, .docx, .odt, .ppt, .pptx), and the program names the package when it is missing.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "zenity | kdialog, libreoffice-writer-nogui | libreoffice-writer, libreoffice-impress-nogui | libreoffice-impress")
include(CPack)
