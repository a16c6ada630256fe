# The two commands a newcomer needs: `make run` and `make test`.
MAKEFLAGS += --no-print-directory
.PHONY: run test deps build build-asan format format-check clean

SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

deps:
	@scripts/install-deps.sh

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default

build-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan

run: build
	@scripts/run.sh

test: build build-asan
	@ctest --preset default
	@ctest --preset asan

format: deps
	@clang-format -i $(SOURCES)

format-check: deps
	@clang-format --dry-run --Werror $(SOURCES) && echo "formatting: clean"

clean:
	rm -rf build
