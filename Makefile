# Two commands do everything on a fresh Debian machine:
#   make run    installs what is missing, builds, and runs the production
#   make test   installs what is missing, builds, and runs the tests headless
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# The production reads data.rar from its working directory, which the build puts beside it.
run: build
	cd $(BUILD)/bin && ./palisade $(ARGS)

test: build
	cd $(BUILD) && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
		ctest --output-on-failure -j$(JOBS)

clean:
	rm -rf $(BUILD)
