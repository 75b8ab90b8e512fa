# The Linux install and its Debian package: `cmake --install` (or `make install PREFIX=...`) puts
# the game and the tool where Debian puts games (PREFIX/games), with the desktop entry, the icons
# drawn at every size from the game's own icon shapes, the AppStream metainfo, the manual pages
# and the licences of everything shipped. `make package` builds build/zorbump_VERSION_amd64.deb.
include(GNUInstallDirs)
set(ZORBUMP_INSTALL_GAMESDIR "games" CACHE STRING "Where the game and the tool go, under the prefix")
set(ZORBUMP_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS zorbump zorbump-sim RUNTIME DESTINATION ${ZORBUMP_INSTALL_GAMESDIR})
install(FILES ${ZORBUMP_PACKAGING}/org.zorbump.Zorbump.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZORBUMP_PACKAGING}/org.zorbump.Zorbump.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icons, drawn while building by a program that uses the game's own icon code.
add_executable(zorbump-hicolor ${CMAKE_SOURCE_DIR}/tools/hicolor/main.cpp)
target_link_libraries(zorbump-hicolor PRIVATE zorbump_core)
target_include_directories(zorbump-hicolor PRIVATE ${CMAKE_SOURCE_DIR})
set(ZORBUMP_ICON_DIR ${CMAKE_BINARY_DIR}/hicolor)
set(ZORBUMP_ICONS "")
foreach(Size 16 24 32 48 64 128 256)
  list(APPEND ZORBUMP_ICONS ${ZORBUMP_ICON_DIR}/${Size}x${Size}/apps/zorbump.png)
endforeach()
add_custom_command(OUTPUT ${ZORBUMP_ICONS}
  COMMAND zorbump-hicolor ${ZORBUMP_ICON_DIR}
  DEPENDS zorbump-hicolor
  COMMENT "Drawing the game's icons at every size"
  VERBATIM)
add_custom_target(zorbump_icons ALL DEPENDS ${ZORBUMP_ICONS})
install(DIRECTORY ${ZORBUMP_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# Manual pages, compressed as Debian wants them.
find_program(ZORBUMP_GZIP gzip REQUIRED)
foreach(Page zorbump.6 zorbump-sim.6)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${Page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${ZORBUMP_GZIP} -9nc ${ZORBUMP_PACKAGING}/${Page} > ${CMAKE_BINARY_DIR}/man/${Page}.gz
    DEPENDS ${ZORBUMP_PACKAGING}/${Page}
    COMMENT "Compressing the manual page ${Page}")
  list(APPEND ZORBUMP_MAN_PAGES ${CMAKE_BINARY_DIR}/man/${Page}.gz)
endforeach()
# Debian's changelog of the package, compressed the same way.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
  COMMAND ${ZORBUMP_GZIP} -9nc ${ZORBUMP_PACKAGING}/changelog > ${CMAKE_BINARY_DIR}/doc/changelog.gz
  DEPENDS ${ZORBUMP_PACKAGING}/changelog
  COMMENT "Compressing the changelog")
add_custom_target(zorbump_man ALL DEPENDS ${ZORBUMP_MAN_PAGES} ${CMAKE_BINARY_DIR}/doc/changelog.gz)
install(FILES ${ZORBUMP_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The licences: the game's own, and the notices of the typeface, SDL2 and ENet as Debian states them,
# gathered in one Debian copyright file too.
set(ZORBUMP_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/zorbump)
set(ZORBUMP_NOTICES fonts-mplus SDL2 ENet)
set(ZORBUMP_COPYRIGHT ${CMAKE_BINARY_DIR}/doc/copyright)
file(READ ${CMAKE_SOURCE_DIR}/LICENSE ZORBUMP_LICENSE_TEXT)
string(REPLACE "\n\n" "\n .\n" ZORBUMP_LICENSE_INDENTED "${ZORBUMP_LICENSE_TEXT}")
string(REPLACE "\n" "\n " ZORBUMP_LICENSE_INDENTED "${ZORBUMP_LICENSE_INDENTED}")
string(STRIP "${ZORBUMP_LICENSE_INDENTED}" ZORBUMP_LICENSE_INDENTED)
set(ZORBUMP_COPYRIGHT_TEXT "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Zorbump

Files: *
Copyright: 2026 The Zorbump developers
License: Expat
 ${ZORBUMP_LICENSE_INDENTED}

Comment: The game carries the typeface of fonts-mplus (rendered into the executable) and links
 SDL2 (and, on Windows, ENet). Their notices, as Debian states them, are installed beside this
 file in licenses/ and follow here.
")
foreach(Notice ${ZORBUMP_NOTICES})
  file(READ ${ZORBUMP_PACKAGING}/licenses/${Notice}.copyright Text)
  string(REGEX REPLACE "\n+$" "" Text "${Text}")
  string(REPLACE "\n" "\n " Text "${Text}")
  string(REPLACE "\n \n" "\n .\n" Text "${Text}")
  string(APPEND ZORBUMP_COPYRIGHT_TEXT " .\n ${Notice}:\n .\n ${Text}\n")
endforeach()
file(GENERATE OUTPUT ${ZORBUMP_COPYRIGHT} CONTENT "${ZORBUMP_COPYRIGHT_TEXT}")
install(FILES ${ZORBUMP_COPYRIGHT} ${CMAKE_BINARY_DIR}/doc/changelog.gz DESTINATION ${ZORBUMP_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${ZORBUMP_DOCDIR})
foreach(Notice ${ZORBUMP_NOTICES})
  install(FILES ${ZORBUMP_PACKAGING}/licenses/${Notice}.copyright DESTINATION ${ZORBUMP_DOCDIR}/licenses
          RENAME ${Notice})
endforeach()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorbump)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Zorbump developers <zorbump@zorbump.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade volleyball for one or two people at one keyboard")
set(CPACK_PACKAGE_DESCRIPTION "Four plump round characters play volleyball on one court seen from the
side. One or two people share a keyboard and the computer drives every other
character. Only the serving side scores; the first side to 15 wins.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zorbump.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
