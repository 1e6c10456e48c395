# What `cmake --install` puts under the prefix: the two programs and the launcher
# in bin/, their manual pages, the menu entry and the icon in the hicolor theme.
# The pictures of the windows are compiled into the program (Qt resources) and Qt's
# own Russian translations come from the system Qt, so neither is installed here.
include(GNUInstallDirs)

# The one place the version lives (project()); the release date goes into the
# manual pages and the package's changelog.
set(ETEXTBOOK_RELEASE_DATE "2026-12-11")
set(ETEXTBOOK_RELEASE_DATE_RFC2822 "Fri, 11 Dec 2026 12:00:00 +0000")
foreach(target etextbook-app etextbook-db)
  target_compile_definitions(${target} PRIVATE ETEXTBOOK_VERSION="${PROJECT_VERSION}")
endforeach()

set(ETEXTBOOK_GENERATED ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_SOURCE_DIR}/packaging/etextbook-launcher.in ${ETEXTBOOK_GENERATED}/etextbook-launcher @ONLY)

# Manual pages, compressed as Debian ships them. The course tool's page is printed
# from the same command table as its --help.
add_executable(etextbook-db-manpage ${CMAKE_SOURCE_DIR}/tools/manpage/make_manpage.cpp
                                    ${CMAKE_SOURCE_DIR}/tools/etextbook-db/Usage.cpp)
target_include_directories(etextbook-db-manpage PRIVATE ${CMAKE_SOURCE_DIR}/tools/etextbook-db)
target_link_libraries(etextbook-db-manpage PRIVATE Qt6::Core)
set(ETEXTBOOK_MANPAGES)
add_custom_command(OUTPUT ${ETEXTBOOK_GENERATED}/etextbook-db.1.gz
  COMMAND etextbook-db-manpage ${PROJECT_VERSION} ${ETEXTBOOK_RELEASE_DATE} ${ETEXTBOOK_GENERATED}/etextbook-db.1
  COMMAND gzip -9nf ${ETEXTBOOK_GENERATED}/etextbook-db.1
  DEPENDS etextbook-db-manpage
  COMMENT "Справочная страница etextbook-db(1)")
list(APPEND ETEXTBOOK_MANPAGES ${ETEXTBOOK_GENERATED}/etextbook-db.1.gz)
foreach(page etextbook etextbook-launcher)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/${page}.1.in ${ETEXTBOOK_GENERATED}/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${ETEXTBOOK_GENERATED}/${page}.1.gz
    COMMAND gzip -9nc ${ETEXTBOOK_GENERATED}/${page}.1 > ${ETEXTBOOK_GENERATED}/${page}.1.gz
    DEPENDS ${ETEXTBOOK_GENERATED}/${page}.1
    COMMENT "Справочная страница ${page}(1)")
  list(APPEND ETEXTBOOK_MANPAGES ${ETEXTBOOK_GENERATED}/${page}.1.gz)
endforeach()
add_custom_target(etextbook-manpages ALL DEPENDS ${ETEXTBOOK_MANPAGES})

install(TARGETS etextbook-app etextbook-db RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${ETEXTBOOK_GENERATED}/etextbook-launcher DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ETEXTBOOK_MANPAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/etextbook.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/etextbook.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/etextbook-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME etextbook.png)
endforeach()

# The course tool's test compares its help with the manual page and its
# version with the program's.
if(TARGET tst_etextbook_db)
  add_dependencies(tst_etextbook_db etextbook-manpages etextbook-app)
endif()
