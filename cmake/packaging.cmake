# Where `cmake --install` puts the programs and their files, and the packages CPack builds
# from that: a .deb with a menu entry on Linux, a zip to unpack into the game folder on Windows.
set(KVO_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KVO_DESKTOP_ID org.example.kvo)

if(WIN32)
  # Beside eaw.exe: the selector takes the folder it starts in as the game folder.
  set(KVO_INSTALL_BINDIR .)
else()
  include(GNUInstallDirs)
  set(KVO_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
endif()

# A release whose changelog or metadata still names the previous version must not build.
function(kvo_expect_version file regex)
  file(STRINGS ${KVO_PACKAGING_DIR}/${file} lines REGEX "${regex}" LIMIT_COUNT 1)
  string(REGEX MATCH "${regex}" found "${lines}")
  if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "packaging/${file} names version \"${CMAKE_MATCH_1}\", "
                        "the project is ${PROJECT_VERSION}: add an entry for it")
  endif()
endfunction()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${KVO_PACKAGING_DIR}/changelog ${KVO_PACKAGING_DIR}/${KVO_DESKTOP_ID}.metainfo.xml
             ${KVO_PACKAGING_DIR}/windows-readme.txt)
kvo_expect_version(changelog "^kvo \\(([^)]+)\\)")
kvo_expect_version(${KVO_DESKTOP_ID}.metainfo.xml "<release version=\"([^\"]+)\"")

# Debian wants manual pages and the changelog compressed without a time stamp.
function(kvo_gzip source destination)
  get_filename_component(name ${source} NAME)
  set(copy ${CMAKE_BINARY_DIR}/packaging/${name})
  add_custom_command(OUTPUT ${copy}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${KVO_PACKAGING_DIR}/${source} ${copy}
                     COMMAND gzip -9nf ${copy}
                     DEPENDS ${KVO_PACKAGING_DIR}/${source} VERBATIM)
  set_property(GLOBAL APPEND PROPERTY KVO_GZIPPED ${copy}.gz)
  install(FILES ${copy}.gz DESTINATION ${destination})
endfunction()

if(NOT WIN32)
  kvo_gzip(kvo.1 ${CMAKE_INSTALL_MANDIR}/man1)
  kvo_gzip(kvo-demo.1 ${CMAKE_INSTALL_MANDIR}/man1)
  kvo_gzip(changelog ${CMAKE_INSTALL_DOCDIR})
  get_property(gzipped GLOBAL PROPERTY KVO_GZIPPED)
  add_custom_target(kvo_packaging_files ALL DEPENDS ${gzipped})
  install(FILES ${KVO_PACKAGING_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
  if(KVO_BUILD_UI)
    install(FILES ${KVO_PACKAGING_DIR}/${KVO_DESKTOP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${KVO_PACKAGING_DIR}/${KVO_DESKTOP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${KVO_PACKAGING_DIR}/${KVO_DESKTOP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  endif()
  if(KVO_BUILD_TESTS)
    add_test(NAME kvo_man_page_matches_help
             COMMAND ${CMAKE_COMMAND} -DKVO=$<TARGET_FILE:kvo>
                     -DMAN_PAGE=${KVO_PACKAGING_DIR}/kvo.1
                     -P ${KVO_PACKAGING_DIR}/check-man-page.cmake)
  endif()
else()
  # The zip's text for players, with line ends Notepad shows.
  file(READ ${KVO_PACKAGING_DIR}/windows-readme.txt text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_BINARY_DIR}/packaging/KVO-README.txt "${text}")
  install(FILES ${CMAKE_BINARY_DIR}/packaging/KVO-README.txt DESTINATION .)
endif()

set(CPACK_PACKAGE_NAME kvo)
set(CPACK_PACKAGE_VENDOR "KVO selector developers")
set(CPACK_PACKAGE_CONTACT "KVO selector developers <kvo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mod selector for the flight simulation EAW")
# Debian shows the long description as it is: lines of at most 80 characters.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "KVO selector loads and unloads add-on folders of the flight simulation EAW\n"
       "(terrain, flight models, skies, sounds, skins and alternative planes) into the\n"
       "game folder, saves and replays whole selections, edits game settings, switches\n"
       "music sets and starts the game.\n"
       "\n"
       "The kvo command does the same without a window, for shortcuts and scripts.\n"
       "kvo-demo writes a synthetic game folder to try it on.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME kvo-${PROJECT_VERSION}-windows-x64)
  # The files go straight into the game folder, not into a folder of their own.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # Not "games": Debian keeps games in /usr/games, and this is a tool beside the game.
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
include(CPack)
