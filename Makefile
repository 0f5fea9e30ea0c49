# Front door: `make run` and `make test` work on a fresh machine.
PRESET ?= release
BIN := build/$(PRESET)/bin

.PHONY: deps configure build test run bench package clean format tidy check-includes

deps:
	@bash scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET)

test: build
	@ctest --preset $(PRESET)

run: build
	@bash scripts/run "$(BIN)"

# The benchmarks (bench/), built only; docs/PERFORMANCE.md says how each is run. The build
# folder keeps them from then on.
bench: deps
	@cmake --preset $(PRESET) -DVX_BUILD_BENCH=ON >/dev/null
	@cmake --build --preset $(PRESET) --target vx_bench

# The Debian package: build/$(PRESET)/korvex-thornet-2-tray_<version>_<arch>.deb.
package: build
	@cmake --build --preset $(PRESET) --target package

tidy: configure
	@bash scripts/tidy build/$(PRESET)

check-includes:
	@python3 scripts/check-includes

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build
