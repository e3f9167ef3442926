# The two commands of the README: `make run` and `make test`.
BUILD_TEST    := build/test
BUILD_RELEASE := build/release
JOBS          ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test deps release test-build bench fuzz clean package

deps:
	@bash scripts/install-deps.sh

release: deps
	@cmake -S . -B $(BUILD_RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNOCK_TESTS=OFF >/dev/null
	@cmake --build $(BUILD_RELEASE) -j $(JOBS)

# With a dongle the receiver runs on it; without one on the simulated dongle's demo sky. "-run"
# presses START by itself; q or Ctrl-C ends it (settings saved). ARGS adds switches of the
# program's own: make run ARGS="-portbase=40000".
ARGS ?=
VARNOCK_BIN := $(BUILD_RELEASE)/src/varnock
SIMDONGLE   := $(CURDIR)/$(BUILD_RELEASE)/src/streaming/simdongle/libvarnock_simdongle.so

run: release
	@n=$$(env -u VARNOCK_RTLSDR_LIB $(VARNOCK_BIN) --device-count 2>/dev/null || echo 0); \
	if [ "$${n:-0}" -gt 0 ] 2>/dev/null; then \
	  echo "$$n dongle(s) found: receiving from the first."; \
	  exec env -u VARNOCK_RTLSDR_LIB $(VARNOCK_BIN) -run $(ARGS); \
	else \
	  echo "No dongle found: receiving from the simulated dongle's demo sky."; \
	  exec env VARNOCK_RTLSDR_LIB=$(SIMDONGLE) VARNOCK_SIM_SOURCE=demo $(VARNOCK_BIN) -run $(ARGS); \
	fi

test-build: deps
	@cmake -S . -B $(BUILD_TEST) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
	  -DVARNOCK_SANITIZE=ON -DVARNOCK_WERROR=ON >/dev/null
	@cmake --build $(BUILD_TEST) -j $(JOBS)

test: test-build
	cd $(BUILD_TEST) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# The Debian package varnock_<version>_amd64.deb in this folder, from the release build.
package: release
	@cd $(BUILD_RELEASE) && cpack -G DEB >/dev/null
	@cp $(BUILD_RELEASE)/varnock_*_amd64.deb .
	@ls varnock_*_amd64.deb

bench:
	@bash scripts/install-deps.sh --bench
	@cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNOCK_TESTS=OFF -DVARNOCK_BENCH=ON >/dev/null
	@cmake --build build/bench -j $(JOBS)
	@echo "Benchmarks built in build/bench/bench; run them by hand (see README)."

# The fuzz targets (clang, libFuzzer): FUZZ_SECONDS per target, all of them or FUZZ_TARGET.
FUZZ_SECONDS ?= 60
FUZZ_TARGET  ?= all
fuzz:
	@bash scripts/fuzz.sh $(FUZZ_TARGET) $(FUZZ_SECONDS)

clean:
	rm -rf build
