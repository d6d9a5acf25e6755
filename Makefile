# The two set-up commands: `make run` and `make test`.
RELEASE_DIR := build/release
TEST_DIR    := build/test
JOBS        ?= $(shell nproc)

# Lets ccache reuse objects between checkouts in different folders (a fresh clone
# builds from the cache of the previous one).
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true

.PHONY: run test deps build bench clean

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELLUMO_TESTS=OFF >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build
	@scripts/run-program $(RELEASE_DIR)

test: deps
	@cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELLUMO_TESTS=ON -DVELLUMO_SANITIZE=ON >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)
	@scripts/run-tests $(TEST_DIR)

bench: build
	@for b in $(RELEASE_DIR)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf build
