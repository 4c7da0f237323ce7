# The two commands of the README: `make run` and `make test`.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
PACKAGES = cmake ninja-build g++ pkg-config libxml2-dev libgtest-dev libgmock-dev libbenchmark-dev \
           python3 python3-dev pybind11-dev libcli11-dev nlohmann-json3-dev

.PHONY: run test build sanitize-test packages clean

packages:
	@./scripts/ensure-packages $(PACKAGES)

build: packages
	cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure

# The sample zone controller as an offline node, filled from its configuration file.
DEMO_DEVICE = 9A10C0DE00010401

run: build
	$(BUILD)/tools/vemo/vemo node $(DEMO_DEVICE) --catalog catalog --config catalog/$(DEMO_DEVICE).kiv

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer, leak
# checking on; any finding fails the run.
sanitize-test: packages
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DVEMO_SANITIZE=ON -DVEMO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(SANITIZE_BUILD)
	ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(SANITIZE_BUILD) --output-on-failure

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
