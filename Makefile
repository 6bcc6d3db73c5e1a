# The two commands of the README: `make` and `make test`. Everything else is CMake.
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
CMAKE_BUILD = cmake --build --preset
.PHONY: all deps release windows demo test test-release test-asan test-windows bench install clean

all: release
	@scripts/run-demo

deps:
	@scripts/install-deps

release: deps
	@cmake --preset release >/dev/null
	@$(CMAKE_BUILD) release -j $(JOBS)
	@mkdir -p dist && find dist -mindepth 1 -maxdepth 1 -not -name windows -exec rm -rf {} +
	@cmake --install build/release --prefix dist >/dev/null
	@echo "Built into dist/:" && find dist -type f -not -path 'dist/demo*' -not -path 'dist/windows*' | sort | sed 's/^/  /'

# The Windows x64 modules, cross-built with mingw-w64.
windows: deps
	@cmake --preset windows >/dev/null
	@$(CMAKE_BUILD) windows -j $(JOBS) --target vellicor_vst3 vellicor_vst2
	@rm -rf dist/windows && cmake --install build/windows --prefix dist/windows >/dev/null
	@echo "Built into dist/windows/:" && find dist/windows -type f | sort | sed 's/^/  /'

demo: release
	@scripts/run-demo

# Release tests first (fast feedback), then the whole suite again under address+UB sanitizers, then
# the Windows build's suites under Wine.
test: test-release test-asan test-windows

test-release: deps
	@cmake --preset release >/dev/null
	@$(CMAKE_BUILD) release -j $(JOBS)
	@ctest --preset release -j $(JOBS)

test-asan: deps
	@cmake --preset asan >/dev/null
	@$(CMAKE_BUILD) asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

test-windows: deps
	@cmake --preset windows >/dev/null
	@$(CMAKE_BUILD) windows -j $(JOBS)
	@ctest --preset windows -j $(JOBS)

bench: deps
	@cmake --preset release >/dev/null
	@$(CMAKE_BUILD) release -j $(JOBS)
	@scripts/run-benchmarks build/release

install: release
	@scripts/install-plugins dist

clean:
	rm -rf build dist
