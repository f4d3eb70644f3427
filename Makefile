# Two commands matter: `make run` and `make test` (see README).
BUILD ?= build
JOBS ?= 2
SHELL := /bin/bash
.SHELLFLAGS := -o pipefail -c
CMAKE_FLAGS ?=
# ccache, when there, keeps rebuilds and the sanitizer builds short; paths are
# taken relative to the checkout, so another clone of the tree hits the same cache.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
LAUNCHER = $$(command -v ccache >/dev/null && echo -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps configure build run package test test-normal test-sanitizers tidy format-check clean bench

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(LAUNCHER) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# Starts the window on the virtual programmer box.
run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)."; \
	  echo "Start it from a desktop session, or in a virtual one: xvfb-run -a make run"; \
	  exit 1; fi
	@$(BUILD)/portable/tarnwick --simulate

# The Debian package, build/tarnwick_<version>_<arch>.deb (install it with
# sudo apt install ./build/tarnwick_*.deb).
package: build
	@cd $(BUILD) && cpack -G DEB

# The normal suite of the normal build: the fast, plain failures come first.
test-normal: build
	@echo "== normal build"
	@cd $(BUILD) && ctest -j$(JOBS) --output-on-failure

# Sanitizer builds. AddressSanitizer with UndefinedBehaviorSanitizer: the core
# suites (catalogue reader, buffers, frames...). ThreadSanitizer: the core
# suites (worker, device link), the command-line flows and one window test,
# so that build has the front end on but builds only what those tests need.
test-sanitizers: deps
	@for san in address thread; do \
	  dir=$(BUILD)-$$san; gui=OFF; [ $$san = thread ] && gui=ON; \
	  cmake -S . -B $$dir $(LAUNCHER) -DTARNWICK_GUI=$$gui -DTARNWICK_SANITIZE=$$san -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1; \
	  echo "== $$san sanitizer: building"; \
	  cmake --build $$dir -j$(JOBS) --target sanitizer_tests > $$dir/build.log 2>&1 || { cat $$dir/build.log; exit 1; }; \
	  (cd $$dir && TSAN_OPTIONS=halt_on_error=1 ctest -j$(JOBS) --output-on-failure -E '_NOT_BUILT' > ctest.log 2>&1) \
	    || { cat $$dir/ctest.log; exit 1; }; \
	  tail -n 3 $$dir/ctest.log; \
	done

# The performance report: builds the command line and the benchmark
# programs, then prints each figure as ours / a plain file tool, alternated
# for 5 rounds (bench/run; a few minutes, nothing asserted).
BENCH_TARGETS := tarnwick-cli portable_data bench_file_image bench_program_verify bench_peak_memory
bench: configure
	@cmake --build $(BUILD) -j$(JOBS) --target $(BENCH_TARGETS) >/dev/null
	@bash bench/run $(BUILD)

test: test-normal
	@$(MAKE) --no-print-directory test-sanitizers

# clang-tidy with the root .clang-tidy over src/ and tools/; fails on any finding.
# TIDY_DIRS narrows it, e.g. make tidy TIDY_DIRS="src/sim tools".
TIDY_DIRS ?= src tools
tidy: deps
	@bash scripts/install-deps.sh clang-tidy
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@JOBS=$(JOBS) bash scripts/tidy.sh $(BUILD) $(TIDY_DIRS)

# Every C++ source and header against the root .clang-format; changes nothing.
FORMAT_DIRS := src tests bench tools
format-check:
	@bash scripts/install-deps.sh clang-format
	@files=$$(find $(FORMAT_DIRS) -type f \( -name '*.cpp' -o -name '*.h' \) | sort); \
	bad=0; for f in $$files; do \
	  clang-format --dry-run -Werror "$$f" >/dev/null 2>&1 || { echo "not formatted: $$f"; bad=$$((bad + 1)); }; \
	done; \
	echo "format-check: $$bad of $$(echo "$$files" | wc -l) files not formatted"; \
	[ $$bad -eq 0 ]

clean:
	rm -rf $(BUILD) $(BUILD)-thread $(BUILD)-address
