# Vortan: the README's commands. Each installs what is missing first.
JOBS ?= 2
BUILD := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz
FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local

.PHONY: all deps build run test test-main test-asan test-fuzz fuzz-build bench fuzz install deb format clean

all: build

deps:
	@sh scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX) \
	  -DVORTAN_WERROR=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@sh scripts/run.sh $(BUILD)

test: deps test-main test-asan test-fuzz
	@echo "All test suites passed."

test-main: build
	@cd $(BUILD) && ctest --output-on-failure

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORTAN_SANITIZE=ON -DVORTAN_GUI=ON \
	  -DVORTAN_BENCH=OFF -DVORTAN_FORMATS=ON -DVORTAN_WERROR=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure

$(FUZZ_BUILD)/CMakeCache.txt:
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVORTAN_FUZZ=ON -DVORTAN_GUI=OFF -DVORTAN_TESTS=OFF -DVORTAN_BENCH=OFF -DVORTAN_FORMATS=OFF \
	  -DVORTAN_WERROR=ON >/dev/null

fuzz-build: deps $(FUZZ_BUILD)/CMakeCache.txt
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Replays every fuzz corpus once (part of make test).
test-fuzz: fuzz-build
	@sh scripts/fuzz.sh $(FUZZ_BUILD) replay

# Runs each fuzz target for FUZZ_SECONDS, adding what it finds to its corpus.
fuzz: fuzz-build
	@sh scripts/fuzz.sh $(FUZZ_BUILD) run $(FUZZ_SECONDS)

# Medians of BENCH_REPETITIONS runs, and each headline figure as a ratio to its
# baseline (memory copy, read-only pass) of the same run; then the window
# under Xvfb, WINDOW_SECONDS per case.
BENCH_REPETITIONS ?= 3
WINDOW_SECONDS ?= 8
bench: build
	@$(BUILD)/bench/vortan_bench --benchmark_repetitions=$(BENCH_REPETITIONS) \
	  --benchmark_report_aggregates_only=true
	@sh bench/window_load.sh $(BUILD) $(WINDOW_SECONDS)
	@sh scripts/install-bench-deps.sh
	@/usr/bin/python3 bench/streamplot_peer.py $(BUILD)

install: build
	@cmake --install $(BUILD)

deb: build
	@cd $(BUILD) && cpack -G DEB

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
