# make play   build and start the game
# make test   build and run every test, plainly and under the sanitizers; the browser build in
#             Chromium; the Windows build under Wine
# make sim    one whole headless match between four computer characters
# make bench  the benchmarks and the window measurements
# make python the Python module zorbump in build/python/ (PYTHONPATH=build/python /usr/bin/python3)
# make windows      zorbump.exe and zorbump-sim.exe for 64-bit Windows, in build-windows/
# make windows-zip  build-windows/zorbump-windows-x64.zip for Windows players
JOBS ?= 2
CMAKE_FLAGS ?=
WERROR := $(if $(CI),-DZORBUMP_WERROR=ON,)

.PHONY: play test sim bench build clean windows windows-zip windows-test web install package python

build:
	scripts/install-deps build
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS)

# The module is built for Debian's /usr/bin/python3 (with python3-numpy), the interpreter its tests
# run with; another one is chosen with CMAKE_FLAGS=-DZORBUMP_PYTHON=/path/to/python3.
python:
	scripts/install-deps build
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS) --target zorbump-python

play: build
	./build/zorbump

sim: build
	./build/zorbump-sim

# Every program the tests start carries this run's mark, so that the last step can check that none
# is left running.
test: export ZORBUMP_TEST_RUN := $(shell date +%s%N)
test:
	scripts/install-deps test
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS)
	cd build && ctest --output-on-failure -j $(JOBS) -LE Page
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DZORBUMP_SANITIZE=ON $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)
	$(MAKE) web
	tests/web/run-web-tests build-web build
	tests/web/run-online-web-tests build-web build
	tests/web/run-replay-web-tests build-web build
	tests/web/run-meet-web-tests build-web build
	cd build && ctest --output-on-failure -L Page
	$(MAKE) windows-test
	tests/nothing-left-running

# The Windows executables are cross-built with MinGW-w64. The programs that run while building (the
# icon's writer) come from the native tree, built first; SDL2 and ENet come from ~/.cache/zorbump,
# built from Debian's sources the first time.
windows:
	scripts/install-deps windows
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS) --target zorbump-icon zorbump-fonttable
	sdl2="$$(scripts/windows-deps sdl2)" && enet="$$(scripts/windows-deps enet)" && \
	  cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE="$(CURDIR)/cmake/mingw-w64-x86_64.cmake" \
	    -DCMAKE_BUILD_TYPE=Release -DZORBUMP_SDL2_PREFIX="$$sdl2" -DZORBUMP_ENET_PREFIX="$$enet" \
	    -DZORBUMP_BUILD_TOOLS="$(CURDIR)/build/ZorbumpBuildTools.cmake" $(WERROR) >/dev/null
	cmake --build build-windows -j $(JOBS)

# Installs the game under PREFIX (default /usr/local): the game and the tool in PREFIX/games, the
# menu entry, icons, metainfo, manual pages and licences under PREFIX/share.
PREFIX ?= /usr/local
install: build
	cmake --install build --prefix "$(PREFIX)"

# The Debian packages: the game, build/zorbump_VERSION_amd64.deb, and the match as a Python module,
# build/python3-zorbump_VERSION_amd64.deb.
package: build
	cd build && cpack -G DEB >/dev/null
	@ls build/zorbump_*_amd64.deb build/python3-zorbump_*_amd64.deb

# The browser build with Debian's Emscripten, into build-web/ (index.html, zorbump.js, zorbump.wasm);
# its CMake tree is build-web-tree/. SDL2 comes from ~/.cache/zorbump, built from Debian's source the
# first time; the typeface's table and the icon from the native tree, built first.
web:
	scripts/install-deps web
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS) --target zorbump-icon zorbump-fonttable
	sdl2="$$(scripts/web-deps)" && \
	  NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B build-web-tree -DCMAKE_BUILD_TYPE=Release \
	    -DZORBUMP_SDL2_PREFIX="$$sdl2" -DZORBUMP_WEB_OUTPUT="$(CURDIR)/build-web" \
	    -DZORBUMP_BUILD_TOOLS="$(CURDIR)/build/ZorbumpBuildTools.cmake" $(WERROR) >/dev/null
	NODE_PATH=/usr/share/nodejs cmake --build build-web-tree -j $(JOBS)

windows-zip: windows
	packaging/windows/make-zip build-windows

# The Windows executables' checks under Wine: the tool's traces against the native tool's, the
# game's title window and a short match, and online play with Linux, by the tool and by the game.
windows-test: windows-zip
	scripts/install-deps test
	cmake --build build -j $(JOBS) --target zorbump-sim
	tests/windows/run-wine-tests build build-windows
	tests/windows/online-wine.sh build build-windows
	tests/windows/online-game-wine.sh build build-windows

bench:
	scripts/install-deps bench
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZORBUMP_BENCH=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build build-bench -j $(JOBS)
	./build-bench/zorbump_bench
	./build-bench/python/zorbump_python_bench
	bench/measure/window-figures build-bench/zorbump
	bench/measure/startup build-bench/zorbump
	bench/measure/audio build-bench

clean:
	rm -rf build build-sanitize build-bench build-windows build-web build-web-tree
