# The two commands of the README: `make run` and `make test`.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
PACKAGES = cmake ninja-build g++ pkg-config libxml2-dev libicu-dev libxxhash-dev libgtest-dev libgmock-dev libbenchmark-dev \
           python3 python3-dev python3-pip pybind11-dev libcli11-dev nlohmann-json3-dev locales-all mypy e2fsprogs \
           groff-base \
           chromium chromium-driver python3-selenium fonts-dejavu-core
FUZZ_PACKAGES = clang libclang-rt-14-dev

.PHONY: run test configure build sanitize-test tsan-test fuzz clang-check packages clean

packages:
	@./scripts/ensure-packages $(PACKAGES)

# The Python module is built for Debian's interpreter when there is one: Debian's
# packages (pybind11, setuptools) serve it.
PYTHON ?= $(firstword $(wildcard /usr/bin/python3) python3)

configure: packages
	cmake -S . -B $(BUILD) -G Ninja -DPython_EXECUTABLE=$(PYTHON) -DCMAKE_EXPORT_COMPILE_COMMANDS=ON

build: configure
	cmake --build $(BUILD)

# Tests run side by side, one per core; none shares a file with another.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

# The sample zone controller as an offline node, filled from its configuration file.
DEMO_DEVICE = 9A10C0DE00010401

# Only what it runs: the library and vemo.
run: configure
	cmake --build $(BUILD) --target vemo
	$(BUILD)/tools/vemo/vemo node $(DEMO_DEVICE) --catalog catalog --config catalog/$(DEMO_DEVICE).kiv

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, leak
# checking on; any finding fails the run. This build and the two below compile unity
# sources, which takes half the time; the plain build and clang-check still compile
# every source on its own.
sanitize-test: packages
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DPython_EXECUTABLE=$(PYTHON) -DVEMO_SANITIZE=ON -DVEMO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_UNITY_BUILD=ON
	cmake --build $(SANITIZE_BUILD)
	ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j$(JOBS)

# The concurrency tests under ThreadSanitizer; any race found fails the run.
TSAN_BUILD ?= build-tsan
tsan-test: packages
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DVEMO_SANITIZE_THREAD=ON -DVEMO_BUILD_BENCH=OFF -DVEMO_BUILD_PYTHON=OFF -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_UNITY_BUILD=ON
	cmake --build $(TSAN_BUILD) --target concurrency_tests
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 ctest --test-dir $(TSAN_BUILD) --output-on-failure -L concurrency

# Every libFuzzer target of fuzz/ for FUZZ_SECONDS each on its corpus; a crash fails.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: packages
	@./scripts/ensure-packages $(FUZZ_PACKAGES)
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DVEMO_BUILD_FUZZ=ON -DVEMO_BUILD_TESTS=OFF \
	  -DVEMO_BUILD_BENCH=OFF -DVEMO_BUILD_PYTHON=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON \
	  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only"
	cmake --build $(FUZZ_BUILD) --target fuzzers
	./scripts/run-fuzz $(FUZZ_BUILD)/fuzz $(FUZZ_SECONDS)

# Every source compiled once more with clang, warnings as errors, without code
# generation: the tree stays valid for both compilers. Unity sources, so that the large
# headers are parsed a few dozen times rather than once a file; the plain build above
# still compiles every file on its own, which keeps each one complete in its includes.
CLANG_BUILD ?= build-clang
clang-check: packages
	@./scripts/ensure-packages clang
	CC=clang CXX=clang++ cmake -S . -B $(CLANG_BUILD) -G Ninja -DPython_EXECUTABLE=$(PYTHON) -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
	  -DCMAKE_UNITY_BUILD=ON
	./scripts/clang-check $(CLANG_BUILD)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(CLANG_BUILD)
