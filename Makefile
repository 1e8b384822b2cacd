# make run: set up, build the release bundle and start Tavlen.
# make test: set up, build with AddressSanitizer and UndefinedBehaviorSanitizer, run every test.
# make test-optimised: set up, build RelWithDebInfo with the tests (warnings the optimiser finds are errors too),
#   run them all but the end-to-end ones, then the whole-application scenario.
# make bench: set up, build the benchmarks in release mode and run them.
# make screenshots: build the screenshots program in the test build and render every registered view into
#   build-screenshots/, light and dark, at scale 1 and 2. SCENES="kit- steps-" renders only those.
# make format-check: fail when a tracked C++ file is not formatted (CI runs it before the tests).
# make fuzz: build the libFuzzer targets with clang in build-fuzz/ and run each for FUZZ_SECONDS (default 10);
#   make fuzz FUZZ_SECONDS=600 FUZZ_JOBS=8 is a campaign. FUZZ_TARGETS="Base64 Json" runs only those.
JOBS ?= $(shell nproc)
RELEASE_DIR ?= build
TEST_DIR ?= build-test
OPTIMISED_DIR ?= build-opt
BENCH_DIR ?= build-bench
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 10
FUZZ_JOBS ?= 1
FUZZ_TARGETS ?=
SCREENSHOT_DIR ?= build-screenshots
SCENES ?=

.PHONY: setup run test test-optimised bench fuzz screenshots format format-check clean

setup:
	./scripts/setup

run: setup
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVLEN_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	$(RELEASE_DIR)/Tavlen/bin/tavlen

test: setup
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVLEN_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS)

# An optimised build (RelWithDebInfo, -O2) with every test built, warnings as errors; runs all but the e2e label,
# then the whole-application scenario on its own, where its main-thread stall limit holds at full speed.
test-optimised: setup
	cmake -S . -B $(OPTIMISED_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(OPTIMISED_DIR) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(OPTIMISED_DIR) --output-on-failure -j $(JOBS) -LE e2e
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(OPTIMISED_DIR) --output-on-failure -L scenario

bench: setup
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVLEN_TESTS=OFF -DTAVLEN_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS) --target run_benchmarks

fuzz: setup
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DTAVLEN_TESTS=OFF -DTAVLEN_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets
	FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_JOBS=$(FUZZ_JOBS) ./scripts/fuzz $(FUZZ_DIR) $(FUZZ_TARGETS)

screenshots: setup
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVLEN_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS) --target tavlen_screenshots
	rm -rf $(SCREENSHOT_DIR)
	for scale in 1 2; do \
		$(TEST_DIR)/screenshots/tavlen_screenshots --output $(SCREENSHOT_DIR) --scale $$scale $(SCENES) || exit 1; \
	done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails, naming each file and line, when a tracked C++ file is not formatted as .clang-format says.
format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(RELEASE_DIR) $(TEST_DIR) $(OPTIMISED_DIR) $(BENCH_DIR) $(FUZZ_DIR) $(SCREENSHOT_DIR)
