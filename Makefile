# Set-up, build, run and test on Debian. Every target installs whatever system
# packages are missing first.

BUILD_DIR ?= build
WEB_DIR ?= build-web
ASAN_DIR ?= build-asan
PACKAGE_DIR ?= build-package
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 600
PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev qt6-charts-dev qt6-translations-l10n libgl-dev \
            libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format \
            fonts-liberation fonts-dejavu-core \
            dpkg-dev file desktop-file-utils appstream man-db lintian poppler-utils \
            libxml2-utils strace libboost-dev libeigen3-dev libtomlplusplus-dev nlohmann-json3-dev

# The browser edition's tools. Debian's emscripten finds its JavaScript helpers
# (acorn) among Debian's Node modules.
WEB_PACKAGES := cmake ninja-build emscripten node-acorn binaryen chromium firefox-esr nodejs \
                libboost-dev libeigen3-dev libtomlplusplus-dev nlohmann-json3-dev
WEB_ENV := NODE_PATH=/usr/share/nodejs

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
FUZZ_TARGETS := DataFileFuzz TaskCodeFuzz NumberFuzz SolverFuzz DocumentFuzz

.PHONY: all deps web-deps build web run package test test-main test-web test-asan test-fuzz fuzz bench clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

web-deps:
	@missing=""; \
	for p in $(WEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	command -v npm >/dev/null 2>&1 || missing="$$missing npm"; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

# npm ci again only when the lockfile changes.
web/node_modules/.package-lock.json: web/package.json web/package-lock.json | web-deps
	cd web && npm ci --no-audit --no-fund

# The browser edition: $(WEB_DIR)/reactopt.html, one self-contained file.
web: web-deps web/node_modules/.package-lock.json
	$(WEB_ENV) emcmake cmake -S . -B $(WEB_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DREACTOPT_GUI=OFF -DREACTOPT_TESTS=OFF -DREACTOPT_WERROR=ON
	$(WEB_ENV) cmake --build $(WEB_DIR)

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DREACTOPT_WERROR=ON
	cmake --build $(BUILD_DIR)

run: build
	cd tasks && ../$(BUILD_DIR)/reactopt

# The Debian package, $(PACKAGE_DIR)/reactopt_VERSION_ARCH.deb; its
# dependencies are computed from the binaries by dpkg-shlibdeps. A build of
# its own, without the tests, so that it compiles only what it ships.
package: deps
	cmake -S . -B $(PACKAGE_DIR) -G Ninja -DREACTOPT_WERROR=ON -DREACTOPT_TESTS=OFF
	cmake --build $(PACKAGE_DIR) --target package

# The whole suite: the program's tests, the program again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of every
# fuzz target.
test: test-main test-asan test-fuzz

# The browser tests run among the others; they open the page that "web" builds.
test-main: build web
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j 2

# The browser tests alone.
test-web: build web
	cd $(BUILD_DIR) && ctest --output-on-failure -L web

# The core and the windows, whose Qt tests run offscreen; a leak of Qt's own
# libraries would be suppressed in tests/sanitizer/lsan.supp (see there).
test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DREACTOPT_WERROR=ON -DREACTOPT_SANITIZE=ON
	cmake --build $(ASAN_DIR)
	cd $(ASAN_DIR) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j 2

$(FUZZ_DIR)/build.ninja: | deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DREACTOPT_WERROR=ON -DREACTOPT_GUI=OFF -DREACTOPT_FUZZ=ON \
	  -DCMAKE_CXX_COMPILER=clang++

test-fuzz: deps $(FUZZ_DIR)/build.ninja
	cmake --build $(FUZZ_DIR)
	cd $(FUZZ_DIR) && ctest --output-on-failure

fuzz: deps $(FUZZ_DIR)/build.ninja
	cmake --build $(FUZZ_DIR)
	@for t in $(FUZZ_TARGETS); do \
	  echo "== $$t for $(FUZZ_SECONDS) s"; \
	  tests/fuzz/run_fuzzer.sh $(CURDIR)/$(FUZZ_DIR)/tests/fuzz/$$t $(CURDIR)/tests/fuzz/corpus/$$t $(FUZZ_SECONDS) || exit 1; \
	done

# Solver timings with the default data, on one core: the x87 build, then the
# software extended type that other platforms use; last the page's studies,
# whose workers take every core.
bench: build
	taskset -c 0 ./$(BUILD_DIR)/reactopt-bench --benchmark_min_time=0.2
	taskset -c 0 ./$(BUILD_DIR)/reactopt-bench-soft --benchmark_min_time=0.2 --benchmark_filter='/Report|AllTasks' 
	taskset -c 0 ./$(BUILD_DIR)/reactopt-schemes-bench --benchmark_min_time=0.2
	taskset -c 0 ./$(BUILD_DIR)/reactopt-study-bench --benchmark_min_time=0.2
	@if [ -f $(WEB_DIR)/reactopt-engine.js ]; then taskset -c 0 node tests/bench/schemes_bench.mjs $(WEB_DIR)/reactopt-engine.js; fi
	@if [ -f $(WEB_DIR)/reactopt-engine.js ]; then taskset -c 0 node tests/bench/study_bench.mjs $(WEB_DIR)/reactopt-engine.js tasks; fi
	@if [ -f $(WEB_DIR)/reactopt.html ]; then REACTOPT_HTML=$(CURDIR)/$(WEB_DIR)/reactopt.html node tests/bench/study_page_bench.mjs; fi

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(WEB_DIR) $(PACKAGE_DIR)
