# Front door: `make run` and `make test` work on a fresh machine.
PRESET ?= release
BIN := build/$(PRESET)/bin

.PHONY: deps configure build test run clean format tidy check-includes

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

tidy: configure
	@bash scripts/tidy build/$(PRESET)

check-includes:
	@python3 scripts/check-includes

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build
