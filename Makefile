# The two commands of the README: `make` and `make test`. Everything else is CMake.
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
CMAKE_BUILD = cmake --build --preset
.PHONY: all deps release demo test test-release test-asan test-tsan bench install clean

all: release
	@scripts/run-demo

deps:
	@scripts/install-deps

release: deps
	@cmake --preset release >/dev/null
	@$(CMAKE_BUILD) release -j $(JOBS)
	@rm -rf dist && cmake --install build/release --prefix dist >/dev/null
	@echo "Built into dist/:" && find dist -type f -not -path 'dist/demo*' | sort | sed 's/^/  /'

demo: release
	@scripts/run-demo

# Release tests first (fast feedback), then the whole suite again under address+UB sanitizers,
# then the editor's host-thread test under the thread sanitizer.
test: test-release test-asan test-tsan

test-release: deps
	@cmake --preset release >/dev/null
	@$(CMAKE_BUILD) release -j $(JOBS)
	@ctest --preset release -j $(JOBS)

test-asan: deps
	@cmake --preset asan >/dev/null
	@$(CMAKE_BUILD) asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

test-tsan: deps
	@cmake --preset tsan >/dev/null
	@$(CMAKE_BUILD) tsan -j $(JOBS)
	@ctest --preset tsan -j $(JOBS)

bench: deps
	@cmake --preset release >/dev/null
	@$(CMAKE_BUILD) release -j $(JOBS)
	@scripts/run-benchmarks build/release

install: release
	@scripts/install-plugins dist

clean:
	rm -rf build dist
