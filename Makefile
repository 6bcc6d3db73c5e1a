# The two commands of the README: `make` and `make test`. Everything else is CMake.
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
CMAKE_BUILD = cmake --build --preset
.PHONY: all deps release windows demo deb test test-release test-package test-asan test-tsan test-windows bench fuzz install clean

all: release
	@scripts/run-demo

deps:
	@scripts/install-deps

release: deps
	@cmake --preset release >/dev/null
	@$(CMAKE_BUILD) release -j $(JOBS)
	@mkdir -p dist && find dist -mindepth 1 -maxdepth 1 -not -name windows -exec rm -rf {} +
	@cmake --install build/release --prefix dist --strip >/dev/null
	@echo "Built into dist/:" && find dist -type f -not -path 'dist/demo*' -not -path 'dist/windows*' | sort | sed 's/^/  /'

# The Windows x64 modules, cross-built with mingw-w64.
windows: deps
	@cmake --preset windows >/dev/null
	@$(CMAKE_BUILD) windows -j $(JOBS) --target vellicor_vst3 vellicor_vst2
	@rm -rf dist/windows && cmake --install build/windows --prefix dist/windows >/dev/null
	@echo "Built into dist/windows/:" && find dist/windows -type f | sort | sed 's/^/  /'

demo: release
	@scripts/run-demo

# The Debian package of what dist/ holds: dist/vellicor_<version>_amd64.deb.
deb: release
	@scripts/build-deb dist

# Release tests first (fast feedback), then the Debian package, then the whole suite again under
# address+UB sanitizers, then the editor's host-thread test under the thread sanitizer, then the
# Windows build's suites under Wine.
test: test-release test-package test-asan test-tsan test-windows

test-release: deps
	@cmake --preset release >/dev/null
	@$(CMAKE_BUILD) release -j $(JOBS)
	@ctest --preset release -j $(JOBS)

test-package: deb
	@tests/vellicor/package/check-package dist

test-asan: deps
	@cmake --preset asan >/dev/null
	@$(CMAKE_BUILD) asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

test-windows: deps
	@cmake --preset windows >/dev/null
	@$(CMAKE_BUILD) windows -j $(JOBS)
	@ctest --preset windows -j $(JOBS)

test-tsan: deps
	@cmake --preset tsan >/dev/null
	@$(CMAKE_BUILD) tsan -j $(JOBS)
	@ctest --preset tsan -j $(JOBS)

bench: deps
	@cmake --preset release >/dev/null
	@$(CMAKE_BUILD) release -j $(JOBS)
	@scripts/run-benchmarks build/release

# The PNG loader under libFuzzer for as long as FUZZ_SECONDS (default 10 minutes); the corpus grows in
# build/release/tests/drawing/fuzz/corpus, crashes land in the current folder.
FUZZ_SECONDS ?= 600
FUZZ_DIR = build/release/tests/drawing/fuzz
fuzz: deps
	@cmake --preset release >/dev/null
	@$(CMAKE_BUILD) release --target png_fuzz png_fuzz_seeds -j $(JOBS)
	@$(FUZZ_DIR)/png_fuzz_seeds $(FUZZ_DIR)/seeds $(FUZZ_DIR)/corpus
	@$(FUZZ_DIR)/png_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=65536 $(FUZZ_DIR)/corpus $(FUZZ_DIR)/seeds

# Into your own plug-in folders (~/.vst3, ~/.vst, ~/.lv2); with PREFIX=/usr/local (say) into the
# system layout under it instead, as the package does under /usr.
install: release
	@scripts/install-plugins dist $(PREFIX)

clean:
	rm -rf build dist
