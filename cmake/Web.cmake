# The browser build, with Debian's Emscripten (emcmake): SDL2 from the cache scripts/web-deps fills,
# the nested windows run by Asyncify, and the page of web/ with the game's icon inlined. Programs
# that run while building (the typeface's table, the icon) come from a native build tree, named by
# ZORBUMP_BUILD_TOOLS. A page has no UDP: it plays online through a server, over a WebSocket.
set(ZORBUMP_SDL2_PREFIX "" CACHE PATH "SDL2 built for the browser (printed by scripts/web-deps)")
set(ZORBUMP_BUILD_TOOLS "" CACHE FILEPATH "ZorbumpBuildTools.cmake of a native build tree")
if(NOT EXISTS "${ZORBUMP_SDL2_PREFIX}/lib/libSDL2.a")
  message(FATAL_ERROR "ZORBUMP_SDL2_PREFIX must name SDL2 built for the browser: run scripts/web-deps "
                      "(make web does).")
endif()
if(NOT EXISTS "${ZORBUMP_BUILD_TOOLS}")
  message(FATAL_ERROR "ZORBUMP_BUILD_TOOLS must name ZorbumpBuildTools.cmake of a native build tree "
                      "(make web builds one in build/).")
endif()
include("${ZORBUMP_BUILD_TOOLS}")
add_library(ZorbumpWebSdl2 STATIC IMPORTED)
set_target_properties(ZorbumpWebSdl2 PROPERTIES
  IMPORTED_LOCATION "${ZORBUMP_SDL2_PREFIX}/lib/libSDL2.a"
  INTERFACE_INCLUDE_DIRECTORIES "${ZORBUMP_SDL2_PREFIX}/include/SDL2")
target_link_libraries(zorbump_core PUBLIC ZorbumpWebSdl2)

function(zorbump_web_page)
  add_executable(zorbump ${CMAKE_SOURCE_DIR}/web/WebMain.cpp ${CMAKE_SOURCE_DIR}/web/PageReplay.cpp
                         ${CMAKE_SOURCE_DIR}/web/PageBench.cpp)
  target_include_directories(zorbump PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(zorbump PRIVATE zorbump_core zorbump_warnings)
  target_link_options(zorbump PRIVATE
    # The windows are shown modally from inside their handlers: Asyncify lets the game's waits give
    # the page back to the browser and resume where they were.
    -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=65536
    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=33554432 -sENVIRONMENT=web -sEXIT_RUNTIME=1
    -sFILESYSTEM=0 --closure=0
    # Online play's one connection: the browser's WebSocket, through Emscripten's interface to it.
    -lwebsocket.js
    # SDL's audio in the page calls these of Emscripten's: the sound starts at the first key or click.
    -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_SOURCE_DIR}/web/library-functions.json)
  # The page's folder holds just what is served: index.html, zorbump.js and zorbump.wasm.
  set(ZORBUMP_WEB_OUTPUT "${CMAKE_BINARY_DIR}" CACHE PATH "Where the page's three files are written")
  set_target_properties(zorbump PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY "${ZORBUMP_WEB_OUTPUT}")
  # The page, with the game's icon inlined: the folder holds index.html, zorbump.js, zorbump.wasm.
  set(Icon "${CMAKE_BINARY_DIR}/generated/zorbump.ico")
  add_custom_command(OUTPUT "${ZORBUMP_WEB_OUTPUT}/index.html"
    COMMAND build::zorbump-icon "${Icon}" 32
    COMMAND ${CMAKE_COMMAND} -DICON=${Icon} -DPAGE=${CMAKE_SOURCE_DIR}/web/index.html
            -DOUTPUT=${ZORBUMP_WEB_OUTPUT}/index.html -P ${CMAKE_SOURCE_DIR}/web/MakePage.cmake
    DEPENDS build::zorbump-icon ${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_SOURCE_DIR}/web/MakePage.cmake
    COMMENT "Writing the page with the game's icon"
    VERBATIM)
  add_custom_target(zorbump-page ALL DEPENDS "${ZORBUMP_WEB_OUTPUT}/index.html")
endfunction()
