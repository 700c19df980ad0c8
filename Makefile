# The project's commands. Every target installs the Debian packages it needs first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 20
CMAKE_GEN := -G Ninja

.PHONY: all deps build run package test test-plain test-asan test-tsan test-fuzz bench format clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B build $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build -j $(JOBS)

# The program runs in run/, where a demo disc image stands in for a CD drive.
run: build
	mkdir -p run/discs
	ls run/discs/*.cue >/dev/null 2>&1 || ./build/tests/support/quillon-make-demo-disc run/discs
	cd run && ../build/app/quillon

# A Debian package of the installed files, build/quillon_<version>_<arch>.deb.
package: build
	cd build && cpack -G DEB

test: deps
	@MAKE="$(MAKE)" bash scripts/run-stages.sh test-plain test-asan test-tsan test-fuzz

test-plain: build
	cd build && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B build-asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	    -DQUILLON_SANITIZE=address,undefined
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS)

test-tsan: deps
	cmake -S . -B build-tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DQUILLON_SANITIZE=thread -DQUILLON_AUDIO_ONLY=ON
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS)

test-fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DQUILLON_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)
	bash scripts/run-fuzzers.sh build-fuzz/fuzz $(FUZZ_SECONDS)

bench: build
	./build/bench/quillon-bench && ./build/bench/quillon-rip-bench && ./build/bench/quillon-tag-bench && \
	    ./build/bench/quillon-skin-bench && ./build/bench/quillon-checksum-bench && \
	    ./build/bench/quillon-secureread-bench && ./build/bench/quillon-batch-bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-tsan build-fuzz
