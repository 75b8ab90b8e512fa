# The library's sources, folder by folder, from the bottom floor up: a new file is added here.
set(ZORBUMP_SOURCES
  # The match's one record and the globals around it.
  src/records/BasCmnDef.cpp
  # The platform: the game's own verbs over SDL2, or headless.
  src/platform/AudioOutput.cpp src/platform/Crc32.cpp src/platform/Font.cpp src/platform/HeadlessBackend.cpp
  src/platform/Keyboard.cpp src/platform/Pads.cpp src/platform/Png.cpp src/platform/Random.cpp
  src/platform/Scaling.cpp src/platform/SdlBackend.cpp src/platform/SdlKeys.cpp src/platform/SdlOutput.cpp
  src/platform/Surface.cpp src/platform/Program.cpp src/platform/Forms.cpp
  src/platform/EventLoop.cpp
  # The pictures, built in memory from art kept in source.
  src/assets/BallSheet.cpp src/assets/Court.cpp src/assets/Designs.cpp src/assets/Faces.cpp
  src/assets/Pictures.cpp src/assets/Raster.cpp src/assets/Tumbler.cpp
  # Sound: effects synthesized in code, the mixer, the listener.
  src/audio/Effects.cpp src/audio/Listener.cpp src/audio/Mixer.cpp src/audio/Sound.cpp src/audio/Synth.cpp
  # The match: the tick, the characters, the ball, the computer, drawing; line-ups and traces.
  src/match/Ball.cpp src/match/Controls.cpp src/match/Cpu.cpp src/match/Draw.cpp src/match/Fingerprint.cpp
  src/match/Lineup.cpp src/match/Match.cpp src/match/Player.cpp src/match/Trace.cpp
  # Replays: the file, playing one again, keeping one.
  src/replay/ReplayFile.cpp src/replay/ReplayMatch.cpp src/replay/FrmReplay.cpp src/replay/LiveFeed.cpp
  # The meeting messages spoken with the server: rules-free, for every target.
  src/net/Meeting.cpp src/net/RelayTransport.cpp src/net/ReplayUpload.cpp
  # The windows.
  src/game/FrmMain.cpp src/game/GameOptions.cpp src/title/FrmTitle.cpp src/select/FrmSelect.cpp)
if(WIN32)
  list(APPEND ZORBUMP_SOURCES src/platform/desktop/SdlScreen.cpp src/platform/windows/Console.cpp
       src/platform/windows/SdlSystem.cpp src/platform/windows/SoundSystem.cpp
       src/platform/windows/StandardOutput.cpp)
elseif(EMSCRIPTEN)
  list(APPEND ZORBUMP_SOURCES src/platform/web/Console.cpp src/platform/web/SdlScreen.cpp
       src/platform/web/SdlSystem.cpp src/platform/web/SoundSystem.cpp src/platform/web/StandardOutput.cpp)
else()
  list(APPEND ZORBUMP_SOURCES src/platform/desktop/SdlScreen.cpp src/platform/posix/Console.cpp
       src/platform/posix/SdlSystem.cpp src/platform/posix/SoundSystem.cpp
       src/platform/posix/StandardOutput.cpp src/platform/posix/WaylandWatch.cpp)
endif()
# Online play: the rules-free core and the game's online screens, on every target; only what carries
# the datagrams differs: ENet on the desktop, a WebSocket to a server in the page (which has no UDP).
list(APPEND ZORBUMP_SOURCES src/net/Ledger.cpp src/net/Protocol.cpp src/net/Rollback.cpp
     src/net/Session.cpp
     src/online/CodeEntry.cpp src/online/FrmCode.cpp src/online/FrmMeet.cpp src/online/FrmOnline.cpp
     src/online/OnlineSession.cpp src/online/RollbackMatch.cpp
     src/online/SharedMatch.cpp src/online/SharedSelect.cpp)
if(EMSCRIPTEN)
  list(APPEND ZORBUMP_SOURCES src/net/WebLinks.cpp src/net/WebSocketTransport.cpp)
else()
  # The in-process loopback network is the tests' and the tools'.
  list(APPEND ZORBUMP_SOURCES src/net/EnetLinks.cpp src/net/EnetTransport.cpp src/net/Loopback.cpp)
endif()
list(TRANSFORM ZORBUMP_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
