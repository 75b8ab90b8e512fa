# The server's tests: the meeting place alone, the real server on loopback in the test's process,
# and two headless players meeting through the real server.
add_executable(zorbump_server_tests ${CMAKE_SOURCE_DIR}/tests/server/LobbyTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/server/MeetingTest.cpp ${CMAKE_SOURCE_DIR}/tests/server/ServerTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/server/TlsTest.cpp ${CMAKE_SOURCE_DIR}/tests/server/ReplayShelfTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/server/WatchersTest.cpp)
target_link_libraries(zorbump_server_tests PRIVATE zorbump_server_parts zorbump_warnings GTest::gtest GTest::gtest_main)
target_include_directories(zorbump_server_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/server)
gtest_discover_tests(zorbump_server_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60)
# Two headless players meet through the real server and play; a stop in mid-match.
add_test(NAME SimsThroughServer COMMAND ${CMAKE_SOURCE_DIR}/tests/server/sims-through-server.sh
                                        $<TARGET_FILE:zorbump-server> $<TARGET_FILE:zorbump-sim>)
set_tests_properties(SimsThroughServer PROPERTIES TIMEOUT 180 RESOURCE_LOCK OnlinePlay)
# Watchers of a room through the real server: early, late and leaving; the players vanishing.
add_test(NAME WatchersThroughServer COMMAND ${CMAKE_SOURCE_DIR}/tests/server/watchers-through-server.sh
                                            $<TARGET_FILE:zorbump-server> $<TARGET_FILE:zorbump-sim>)
set_tests_properties(WatchersThroughServer PROPERTIES TIMEOUT 180 RESOURCE_LOCK OnlinePlay)
# The game's watching window on a room's match, on a virtual X server.
add_test(NAME WatchingGameUnderXvfb COMMAND ${CMAKE_SOURCE_DIR}/tests/server/watch-game-xvfb.sh
                                            $<TARGET_FILE:zorbump-server> $<TARGET_FILE:zorbump-sim> $<TARGET_FILE:zorbump>)
set_tests_properties(WatchingGameUnderXvfb PROPERTIES TIMEOUT 150 RESOURCE_LOCK "OnlinePlay;VirtualScreen")
# Two homes behind masquerading routers in network namespaces: a direct join fails, a whole match
# through the server plays (skipped where namespaces or nftables cannot be used).
add_test(NAME HomesBehindRouters COMMAND ${CMAKE_SOURCE_DIR}/tests/server/routers.sh
                                         $<TARGET_FILE:zorbump-server> $<TARGET_FILE:zorbump-sim>)
set_tests_properties(HomesBehindRouters PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 420 RESOURCE_LOCK OnlinePlay)
# A server that keeps matches: the last N of headless players' matches, each playing again to its
# players' trace; bad ids; the folder taken up again.
add_test(NAME KeptMatches COMMAND ${CMAKE_SOURCE_DIR}/tests/server/kept-matches.sh
                                  $<TARGET_FILE:zorbump-server> $<TARGET_FILE:zorbump-sim>)
set_tests_properties(KeptMatches PROPERTIES TIMEOUT 120 RESOURCE_LOCK OnlinePlay)
# The load generator plays a few matches through a real server on two threads.
add_test(NAME LoadThroughServer COMMAND ${CMAKE_SOURCE_DIR}/tests/server/load-through-server.sh
                                        $<TARGET_FILE:zorbump-server> $<TARGET_FILE:zorbump-load>)
set_tests_properties(LoadThroughServer PROPERTIES TIMEOUT 60 RESOURCE_LOCK OnlinePlay)
