# make play   build and start the game
# make test   build and run every test, plainly and under the sanitizers
# make sim    one whole headless match between four computer characters
# make bench  the benchmarks and the window measurements
JOBS ?= 2
CMAKE_FLAGS ?=
WERROR := $(if $(CI),-DZORBUMP_WERROR=ON,)

.PHONY: play test sim bench build clean

build:
	scripts/install-deps build
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS)

play: build
	./build/zorbump

sim: build
	./build/zorbump-sim

test:
	scripts/install-deps test
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build -j $(JOBS)
	cd build && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DZORBUMP_SANITIZE=ON $(WERROR) $(CMAKE_FLAGS) >/dev/null
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

bench:
	scripts/install-deps bench
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DZORBUMP_BENCH=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build build-bench -j $(JOBS)
	./build-bench/zorbump_bench
	scripts/measure-windows build-bench/zorbump
	scripts/measure-audio build-bench

clean:
	rm -rf build build-sanitize build-bench
