# One entry point for building, running, testing and benchmarking Quillstone.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench fuzz package clean windows-test

all: build

# Installs the Debian packages of tools/debian-packages.txt that are missing.
deps:
	@tools/install-deps.sh tools/debian-packages.txt

# The generator writes its own build file only when a configure finishes; CMakeCache.txt
# is there after a failed one too. Without the build file, the cache of that failed run
# goes (CMake keeps some failures in it, a compiler it could not find) and CMake
# configures again.
GENERATOR_FILE := $(if $(findstring Ninja,$(CMAKE_GENERATOR)),build.ninja,Makefile)
$(BUILD_DIR)/$(GENERATOR_FILE): | deps
	rm -f $(BUILD_DIR)/CMakeCache.txt
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

configure: $(BUILD_DIR)/$(GENERATOR_FILE)

build: deps configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	tools/run-editor.sh $(BUILD_DIR)/bin/quillstone examples/example.sps

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

bench: build
	cmake --build $(BUILD_DIR) -j $(JOBS) --target benchmarks
	bench/run-all.sh $(BUILD_DIR)

# The Debian package: $(BUILD_DIR)/quillstone_<version>_<arch>.deb (CPack).
package: build
	cmake --build $(BUILD_DIR) --target package

fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
	    -DCMAKE_CXX_COMPILER=clang++ -DQS_FUZZ=ON -DQS_BUILD_UI=OFF
	cmake --build build-fuzz -j $(JOBS)

# Everything below the windows, cross-built for Windows; its tests run under Wine.
WIN_BUILD_DIR ?= build-windows
windows-test:
	@tools/install-deps.sh tools/windows-packages.txt
	cmake -S . -B $(WIN_BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
	    -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQS_BUILD_UI=OFF -DQS_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(WIN_BUILD_DIR) -j $(JOBS)
	cd $(WIN_BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 300

clean:
	rm -rf $(BUILD_DIR) build-fuzz $(WIN_BUILD_DIR)
