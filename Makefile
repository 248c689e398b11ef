# Two commands do everything on a fresh Debian machine:
#   make run    installs what is missing, builds, and runs the production
#   make test   installs what is missing, builds, and runs the tests headless
BUILD ?= build
# The build's own makes would announce every directory they enter: only their work is shown.
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: all deps configure build run test clean sanitize fuzz-smoke bench-archive video soak goldens tsan install uninstall deb deb-check

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) \
		$(CMAKE_FLAGS) >/dev/null

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

# Installs under PREFIX (default /usr/local; the program is built knowing where its data
# goes), into DESTDIR when given; uninstall removes what the last install wrote.
install: build
	@DESTDIR=$(DESTDIR) cmake --install $(BUILD)

uninstall:
	@test -f $(BUILD)/install_manifest.txt || { echo "uninstall: nothing installed from $(BUILD)"; exit 1; }
	@while read -r f; do rm -f "$(DESTDIR)$$f"; done < $(BUILD)/install_manifest.txt
	@for d in share/games/palisade share/doc/palisade; do rmdir "$(DESTDIR)$(PREFIX)/$$d" 2>/dev/null || true; done
	@echo "removed $$(wc -l < $(BUILD)/install_manifest.txt) files"

# The Debian package palisade_VERSION_ARCH.deb (scripts/make-deb), checked by lintian;
# deb-check installs it, plays three frames from an empty directory, finds the manual pages
# and removes it again, checking that nothing is left (root only).
deb: deps
	@scripts/install-deps dpkg-dev lintian desktop-file-utils
	@scripts/make-deb

deb-check: deb
	@scripts/deb-check palisade_*.deb

# After a deliberate change of the pictures: captures the reference frames of the picture
# tests again, writes those that changed (GOLDENS="NAME..." for only some) and a contact sheet
# of the changes to look at before committing them.
goldens: build
	cd $(BUILD)/tests && ./test_golden --refresh $(GOLDENS)

# The whole song as a video file a person can play: 1280 x 720, 60 frames a second, H.264
# and AAC, drawn offscreen in lockstep and encoded by ffmpeg.
video: build
	cd $(BUILD)/bin && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
		./palisade --video ../palisade.mp4 --window 1280x720 --fps 60

# Parser tests under AddressSanitizer and UndefinedBehaviorSanitizer (part of CI).
SANITIZE_TESTS ?= archive mesh music scene
SANITIZE_REGEX = ^($(shell echo $(SANITIZE_TESTS) | tr ' ' '|'))$$
sanitize: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPALISADE_SANITIZE=address,undefined \
		-DPALISADE_BENCH=OFF >/dev/null
	@cmake --build build-asan -j$(JOBS) --target $(addprefix test_,$(SANITIZE_TESTS))
	cd build-asan && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
		ctest --output-on-failure -R '$(SANITIZE_REGEX)'

# The whole song under the sanitizers, then 60 s in real time with the memory sampled
# (scripts/soak says what it checks).
soak: build
	@scripts/soak $(BUILD) build-asan

# The program under ThreadSanitizer in real time, driven by scripted keys through every path
# where its threads meet (scripts/tsan-check says which).
tsan: build
	@scripts/tsan-check $(BUILD) build-tsan

# A short run of every libFuzzer target (part of CI). Each starts from its committed seed
# corpus, copied so that what the fuzzer finds does not land in the repository.
FUZZ_SECONDS ?= 30
fuzz-smoke: deps
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DPALISADE_FUZZ=ON -DPALISADE_TESTS=OFF -DPALISADE_BENCH=OFF >/dev/null
	@cmake --build build-fuzz -j$(JOBS)
	@for f in build-fuzz/bin/fuzz_*; do \
		[ -x "$$f" ] || continue; \
		name=$$(basename $$f | sed 's/^fuzz_//'); \
		work=build-fuzz/corpus/$$name; rm -rf $$work; mkdir -p $$work; \
		[ -d fuzz/corpus/$$name ] && cp -r fuzz/corpus/$$name/. $$work/; \
		echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
		if "$$f" -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$work \
			>build-fuzz/$$name.log 2>&1; then tail -3 build-fuzz/$$name.log; \
		else tail -40 build-fuzz/$$name.log; exit 1; fi; \
	done

# The archiver and reader beside zlib, gzip -9 and xz -9 on a rebuildable corpus (not a test).
bench-archive: configure
	@cmake --build $(BUILD) -j$(JOBS) --target bench_archive
	cd $(BUILD) && ./bin/bench_archive
