# make run: set up, build the release bundle and start Tavlen.
# make test: set up, build with AddressSanitizer and UndefinedBehaviorSanitizer, run every test.
# make bench: set up, build the benchmarks in release mode and run them.
# make format-check: fail when a tracked C++ file is not formatted (CI runs it before the tests).
JOBS ?= $(shell nproc)
RELEASE_DIR ?= build
TEST_DIR ?= build-test
BENCH_DIR ?= build-bench

.PHONY: setup run test bench format format-check clean

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

bench: setup
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVLEN_TESTS=OFF -DTAVLEN_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS) --target run_benchmarks

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails, naming each file and line, when a tracked C++ file is not formatted as .clang-format says.
format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(RELEASE_DIR) $(TEST_DIR) $(BENCH_DIR)
