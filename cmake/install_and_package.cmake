# Installed files by component: `cli` (sorvek-cli, the manual, its man page and completion, the
# shipped layouts with their samples, the licence) and `desktop` (sorvek, its desktop entry, icon and man page). A build without the
# desktop program installs the manual all the same. Windows has a zip of its own.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows_package.cmake)
  return()
endif()
include(GNUInstallDirs)

# Man pages, compressed as Debian keeps them.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(MAN_PAGES)
foreach(page sorvek-cli sorvek)
  set(compressed ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${PROJECT_SOURCE_DIR}/doc/man/${page}.1 > ${compressed}
    DEPENDS ${PROJECT_SOURCE_DIR}/doc/man/${page}.1)
  list(APPEND MAN_PAGES ${compressed})
endforeach()
add_custom_target(sorvek_man_pages ALL DEPENDS ${MAN_PAGES})

file(GLOB MANUAL_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/doc/manual/*)
install(FILES ${MANUAL_SOURCES} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sorvek/manual
  COMPONENT cli)
install(FILES ${PROJECT_BINARY_DIR}/man/sorvek-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
  COMPONENT cli)
install(FILES ${PROJECT_SOURCE_DIR}/completions/sorvek-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT cli)
# The shipped layouts, found from the programs as <prefix>/bin/../share/sorvek/layouts.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/layouts/ DESTINATION ${CMAKE_INSTALL_DATADIR}/sorvek/layouts
  COMPONENT cli)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sorvek-cli
  RENAME copyright COMPONENT cli)
if(SORVEK_BUILD_UI)
  install(FILES ${PROJECT_BINARY_DIR}/man/sorvek.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
    COMPONENT desktop)
  # The same completion serves both programs (bash-completion loads it by the command's name).
  install(FILES ${PROJECT_SOURCE_DIR}/completions/sorvek-cli
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME sorvek
    COMPONENT desktop)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/sorvek
    RENAME copyright COMPONENT desktop)
endif()

# Debian packages: sorvek-cli alone, and sorvek (the desktop program) needing it. The shared
# libraries' packages are found by dpkg-shlibdeps; what is loaded at run time (Qt's SVG image
# plugin, its translation, a font) is named by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorvek)
set(CPACK_PACKAGE_VENDOR "Sorvek")
set(CPACK_PACKAGE_CONTACT "Sorvek maintainers <sorvek@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli)
if(SORVEK_BUILD_UI)
  list(APPEND CPACK_COMPONENTS_ALL desktop)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_CLI_PACKAGE_NAME sorvek-cli)
set(CPACK_DEBIAN_CLI_DESCRIPTION "convert business data files (console program)
 Converts fixed-length records (text, zoned and packed decimal fields, record
 kinds told apart by a class code, header and detail records) into delimited
 text as a record definition describes them, files into records of N bytes,
 and line endings. Shift-JIS (CP932) data; CSV in Shift-JIS or UTF-8.")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME sorvek)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_SECTION x11)
set(CPACK_COMPONENT_DESKTOP_DEPENDS cli)
# The window is in Japanese: without a Japanese font its texts are empty boxes, and without Qt's
# Japanese translation the standard buttons of its dialogs are in English.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS
  "libqt6svg6, qt6-translations-l10n, fonts-noto-cjk | fonts-japanese-gothic")
set(CPACK_DEBIAN_DESKTOP_DESCRIPTION "convert business data files (desktop program)
 The Japanese desktop program of Sorvek: a wizard for each job and an editor
 for record definitions. The console program sorvek-cli comes with it.")
include(CPack)
