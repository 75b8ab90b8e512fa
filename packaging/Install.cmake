# Installing the game like any desktop game (cmake --install, make install PREFIX=..., and the
# Debian package of make package): the game and the tool under games/, the menu entry, the icons
# drawn at every size of the icon theme, the AppStream metainfo, the manual pages and the licences.
set(ZORBUMP_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(ZORBUMP_ID org.zorbump.Zorbump)
# Everything installed is the game's, but for the Python module (python/CMakeLists.txt), which
# goes in a package of its own: a game needs no Python.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME game)

# The icon theme's sizes, each drawn from the game's icon shapes at that size.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/hicolor/256x256/apps/zorbump.png
  COMMAND zorbump-icon --hicolor ${CMAKE_BINARY_DIR}/hicolor
  DEPENDS zorbump-icon
  COMMENT "Drawing the game's icon at every size of the icon theme"
  VERBATIM)
# Manual pages and the changelog go compressed, as Debian keeps them.
foreach(Page zorbump.6 zorbump-sim.6 zorbump-server.6 changelog)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${Page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9n -c ${ZORBUMP_PACKAGING}/${Page} > ${CMAKE_BINARY_DIR}/packaging/${Page}.gz
    DEPENDS ${ZORBUMP_PACKAGING}/${Page}
    VERBATIM)
endforeach()
add_custom_target(zorbump-packaging ALL DEPENDS ${CMAKE_BINARY_DIR}/hicolor/256x256/apps/zorbump.png
  ${CMAKE_BINARY_DIR}/packaging/zorbump.6.gz ${CMAKE_BINARY_DIR}/packaging/zorbump-sim.6.gz
  ${CMAKE_BINARY_DIR}/packaging/zorbump-server.6.gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)

install(TARGETS zorbump zorbump-sim zorbump-server RUNTIME DESTINATION games)
# The server's systemd unit names the program where this install puts it.
install(CODE "file(READ \"${ZORBUMP_PACKAGING}/zorbump-server.service\" Unit)
  string(REPLACE \"@PREFIX@\" \"\${CMAKE_INSTALL_PREFIX}\" Unit \"\${Unit}\")
  file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/system/zorbump-server.service\" \"\${Unit}\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/system/zorbump-server.service\")")
install(FILES ${ZORBUMP_PACKAGING}/${ZORBUMP_ID}.desktop DESTINATION share/applications)
install(FILES ${ZORBUMP_PACKAGING}/${ZORBUMP_ID}.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY ${CMAKE_BINARY_DIR}/hicolor/ DESTINATION share/icons/hicolor)
install(FILES ${CMAKE_BINARY_DIR}/packaging/zorbump.6.gz ${CMAKE_BINARY_DIR}/packaging/zorbump-sim.6.gz
  ${CMAKE_BINARY_DIR}/packaging/zorbump-server.6.gz DESTINATION share/man/man6)
install(FILES ${ZORBUMP_PACKAGING}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION share/doc/zorbump)
install(FILES ${ZORBUMP_PACKAGING}/licenses/fonts-mplus.txt ${ZORBUMP_PACKAGING}/licenses/SDL2.txt
  ${ZORBUMP_PACKAGING}/licenses/ENet.txt ${ZORBUMP_PACKAGING}/licenses/Boost.txt
  DESTINATION share/doc/zorbump/licenses)

# make package: build/zorbump_VERSION_amd64.deb, its dependencies taken from the libraries it links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorbump)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Each package's description: its summary on the first line, then the long description.
set(CPACK_DEBIAN_GAME_DESCRIPTION "arcade volleyball for one or two players
Four plump round characters play volleyball on one court seen from the side.
One or two people play, at one keyboard or with game controllers; the
computer drives every other character. Only the serving side scores, and the
first side to 15 wins.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Zorbump developers <developers@zorbump.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Two packages: zorbump, the game, and python3-zorbump, the match as a Python module for learning
# agents, built for Debian's python3 of this release and using its NumPy.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game)
set(CPACK_DEBIAN_GAME_PACKAGE_NAME zorbump)
# python/CMakeLists.txt adds its package, and the root's end includes CPack once every part has
# said what it installs.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
