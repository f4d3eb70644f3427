# Two commands matter: `make run` and `make test` (see README).
BUILD ?= build
JOBS ?= 2
SHELL := /bin/bash
.SHELLFLAGS := -o pipefail -c
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test test-sanitizers clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# Starts the window on the virtual programmer box.
run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)."; \
	  echo "Start it from a desktop session, or in a virtual one: xvfb-run -a make run"; \
	  exit 1; fi
	@$(BUILD)/portable/tarnwick --simulate

# Sanitizer builds of the core: the worker and the device code under
# ThreadSanitizer, the catalogue reader and the buffers under AddressSanitizer.
test-sanitizers: deps
	@for san in thread address; do \
	  dir=$(BUILD)-$$san; \
	  cmake -S . -B $$dir -DTARNWICK_GUI=OFF -DTARNWICK_SANITIZE=$$san -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1; \
	  cmake --build $$dir -j$(JOBS) --target sanitizer_tests > $$dir/build.log 2>&1 || { cat $$dir/build.log; exit 1; }; \
	  echo "== $$san sanitizer"; \
	  (cd $$dir && TSAN_OPTIONS=halt_on_error=1 ctest -j$(JOBS) --output-on-failure -E '_NOT_BUILT' > ctest.log 2>&1) \
	    || { cat $$dir/ctest.log; exit 1; }; \
	  tail -n 3 $$dir/ctest.log; \
	done

test: build test-sanitizers
	@cd $(BUILD) && ctest -j$(JOBS) --output-on-failure

clean:
	rm -rf $(BUILD) $(BUILD)-thread $(BUILD)-address
