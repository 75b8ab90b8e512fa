# zorbump-server: Boost.Asio and Boost.Beast (header-only, Debian's libboost-dev) and ENet.
find_package(Boost 1.70 REQUIRED)
find_package(Threads REQUIRED)
# HTTPS and wss:// through Boost.Asio's SSL streams over Debian's OpenSSL (libssl-dev).
find_package(OpenSSL REQUIRED)
add_library(zorbump_server_parts STATIC
  ${CMAKE_SOURCE_DIR}/src/net/Meeting.cpp ${CMAKE_SOURCE_DIR}/src/net/Protocol.cpp ${CMAKE_SOURCE_DIR}/server/EnetSide.cpp
  ${CMAKE_SOURCE_DIR}/server/Limits.cpp ${CMAKE_SOURCE_DIR}/server/Lobby.cpp ${CMAKE_SOURCE_DIR}/server/Metrics.cpp
  ${CMAKE_SOURCE_DIR}/server/Options.cpp ${CMAKE_SOURCE_DIR}/server/Server.cpp ${CMAKE_SOURCE_DIR}/server/Tls.cpp
  ${CMAKE_SOURCE_DIR}/server/ReplayIntake.cpp ${CMAKE_SOURCE_DIR}/server/ReplayShelf.cpp
  ${CMAKE_SOURCE_DIR}/src/net/ReplayUpload.cpp ${CMAKE_SOURCE_DIR}/src/replay/ReplayFile.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/Crc32.cpp ${CMAKE_SOURCE_DIR}/server/Watchers.cpp
  ${CMAKE_SOURCE_DIR}/server/StaticFiles.cpp ${CMAKE_SOURCE_DIR}/server/WebSide.cpp)
target_include_directories(zorbump_server_parts PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(zorbump_server_parts PUBLIC BOOST_ASIO_NO_DEPRECATED BOOST_BEAST_USE_STD_STRING_VIEW)
target_link_libraries(zorbump_server_parts PUBLIC Boost::headers PkgConfig::ENET OpenSSL::SSL OpenSSL::Crypto Threads::Threads
                      PRIVATE zorbump_warnings)
add_executable(zorbump-server ${CMAKE_SOURCE_DIR}/server/main.cpp)
target_link_libraries(zorbump-server PRIVATE zorbump_server_parts zorbump_warnings)

# The load generator: many headless players in one process, through the real transport and session.
add_executable(zorbump-load ${CMAKE_SOURCE_DIR}/tools/load/main.cpp)
target_link_libraries(zorbump-load PRIVATE zorbump_core zorbump_warnings)
