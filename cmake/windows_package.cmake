# The Windows zip (cpack -G ZIP in build-windows, scripts/package-windows.sh): one folder
# sorvek-VERSION-win64 holding bin\ (sorvek-cli.exe, sorvek.dll), include\sorvek.h,
# lib\libsorvek.dll.a, the HTML manual in manual\, the samples, the shipped layouts in
# share\sorvek\layouts (bin\..\share\sorvek\layouts, where the program looks for them), and
# README.txt and LICENSE.txt as Notepad reads them on every Windows: UTF-8 with a byte order
# mark, CR LF line ends.

# Writes `source` (UTF-8, LF) to `target` with CR LF line ends, after a byte order mark when
# `bom` is set; the @VARIABLES@ of a `NAME.in` are replaced.
function(sorvek_windows_text source target bom)
  file(READ ${source} text)
  if(source MATCHES "\\.in$")
    string(CONFIGURE "${text}" text @ONLY)
  endif()
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  set(mark "")
  if(bom)
    string(ASCII 239 187 191 mark)
  endif()
  file(WRITE ${target} "${mark}${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

set(windows_texts ${PROJECT_BINARY_DIR}/windows)
sorvek_windows_text(${PROJECT_SOURCE_DIR}/doc/windows/README.txt.in ${windows_texts}/README.txt ON)
sorvek_windows_text(${PROJECT_SOURCE_DIR}/LICENSE ${windows_texts}/LICENSE.txt OFF)
install(FILES ${windows_texts}/README.txt ${windows_texts}/LICENSE.txt DESTINATION . COMPONENT cli)

file(GLOB MANUAL_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/doc/manual/*)
install(FILES ${MANUAL_SOURCES} DESTINATION manual COMPONENT cli)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/ DESTINATION samples COMPONENT cli)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/layouts/ DESTINATION share/sorvek/layouts COMPONENT cli)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME sorvek)
set(CPACK_PACKAGE_VENDOR "Sorvek")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME sorvek-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
