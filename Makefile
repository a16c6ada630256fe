# The three ways in: `make run`, `make test` and `make package`.
MAKEFLAGS += --no-print-directory
.PHONY: run test deps build build-asan package package-check fuzz fuzz-build fuzz-smoke bench test-windows format format-check clean

SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

deps:
	@scripts/install-deps.sh

build: deps
	@scripts/configure.sh build/default --preset default
	@cmake --build --preset default

build-asan: deps
	@scripts/configure.sh build/asan --preset asan
	@cmake --build --preset asan

run: build
	@scripts/run.sh

test: build build-asan
	@ctest --preset default-programs
	@ctest --preset asan
	@$(MAKE) test-web

# The Debian package, built as Debian builds packages: dpkg-buildflags' flags with every
# hardening option and no build type of ours, so shared system libraries and position-
# independent executables (the benchmarks' static links stay in their presets).
PACKAGE_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
package: deps
	@scripts/install-deps.sh dpkg-dev file librsvg2-bin
	@scripts/configure.sh build/package --preset package \
	    -DCMAKE_CXX_FLAGS="$$($(PACKAGE_FLAGS) CPPFLAGS) $$($(PACKAGE_FLAGS) CXXFLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$$($(PACKAGE_FLAGS) LDFLAGS)"
	@cmake --build --preset package
	@cd build/package && cpack -G DEB

# lintian, the desktop entry and AppStream validators and the manual pages on the package's
# files, then the package installed with dpkg, tried from /usr/bin and removed again.
package-check: package
	@scripts/install-deps.sh lintian desktop-file-utils appstream man-db
	@scripts/check-package.sh build/package

# Not part of `make test`: a few minutes after the build. BENCH_RUNS=20 for a quick trial.
bench: deps
	@scripts/install-deps.sh hyperfine valgrind time
	@scripts/configure.sh build/bench --preset bench
	@cmake --build --preset bench
	@bench/run.sh
	@$(MAKE) bench-web

# Fuzzes the timetable reader on a scratch copy of fuzz/corpus; any crash, hang or leak fails.
FUZZ_SECONDS ?= 600
fuzz-build: deps
	@scripts/install-deps.sh libclang-rt-14-dev
	@scripts/configure.sh build/fuzz --preset fuzz
	@cmake --build --preset fuzz

fuzz: fuzz-build
	@fuzz/run.sh $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	@fuzz/run.sh 60

# Not part of `make test` (installing Wine is slow): the Qt-free core, the CLI and their tests
# cross-built with mingw-w64 and run under Wine, on the real (Wine) registry.
WINE_ENV = WINEDEBUG=-all WINEARCH=win64 WINEPREFIX=$(CURDIR)/build/windows/wineprefix
test-windows:
	@scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine wine64 googletest
	@scripts/configure.sh build/windows --preset windows
	@# One Wine server for the whole run: when each test started its own, one now and then met
	@# a server just shutting down ("wine client error ... Connection reset by peer"). wineboot
	@# makes the private prefix and starts its background services with no pipe of ours open,
	@# so test discovery does not wait for them to close its output.
	@test -d build/windows/wineprefix || { mkdir -p build/windows && \
	    $(WINE_ENV) wineboot -i </dev/null >/dev/null 2>&1; $(WINE_ENV) wineserver -w; }
	@$(WINE_ENV) wineserver -p300  # gone by itself 5 minutes after an interrupted run
	@$(WINE_ENV) wineboot </dev/null >/dev/null 2>&1 || true
	@status=0; { cmake --build --preset windows && $(WINE_ENV) ctest --preset windows; } || status=$$?; \
	    $(WINE_ENV) wineserver -k; exit $$status

format: deps
	@clang-format -i $(SOURCES)

format-check: deps
	@clang-format --dry-run --Werror $(SOURCES) && echo "formatting: clean"

clean:
	rm -rf build

# ---- The web app for phones (src/web) ------------------------------------------------------
# `make web` builds build/web/, a static folder any web server can serve, with the sample
# timetables or, with DATA=DIR, those of DIR/TimeData; `make web-serve` serves it on
# 127.0.0.1:8000. `make test-web` (part of `make test`) runs the core's tests that matter for
# the web under node and the app in headless Chromium; `make web-screenshots` redraws the
# README's phone screens. The core is compiled with Debian's emscripten (cmake/web.cmake).
.PHONY: web web-deps web-serve test-web web-test-deps web-screenshots bench-web
DATA ?= data
WEB_BUILD = build/wasm
WEB_CONFIGURE = scripts/configure.sh $(WEB_BUILD) -G Ninja -S . -B $(WEB_BUILD) --toolchain cmake/emscripten.cmake -DVELOMAR_WERROR=ON

web-deps:
	@scripts/install-deps.sh emscripten librsvg2-bin

web: web-deps
	@test -d "$(DATA)/TimeData" || { echo "make web: $(DATA) holds no TimeData/ folder" >&2; exit 1; }
	@$(WEB_CONFIGURE) -DVELOMAR_WEB_DATA="$(abspath $(DATA))"
	@cmake --build $(WEB_BUILD) --parallel 2 --target velomar_web_folder

web-serve: web
	@python3 scripts/web_serve.py build/web

web-test-deps: web-deps
	@scripts/install-deps.sh chromium fonts-nanum
	@command -v npm >/dev/null || scripts/install-deps.sh npm
	@scripts/web-e2e-setup.sh $(WEB_BUILD)/e2e

test-web: web-test-deps
	@$(WEB_CONFIGURE)
	@cmake --build $(WEB_BUILD) --parallel 2
	@ctest --test-dir $(WEB_BUILD) --output-on-failure --parallel 2

web-screenshots: test-web
	@cp tests/web/e2e/screenshots.mjs $(WEB_BUILD)/e2e/
	@node $(WEB_BUILD)/e2e/screenshots.mjs $(WEB_BUILD)/test-app docs/screenshots

# The web app's download size, start and search in headless Chromium: docs/performance.md.
bench-web: web web-test-deps
	@cp tests/web/e2e/harness.mjs tests/web/e2e/bench.mjs $(WEB_BUILD)/e2e/
	@node $(WEB_BUILD)/e2e/bench.mjs build/web docs/performance.md $${BENCH_WEB_RUNS:-15}
