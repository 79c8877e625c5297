# The two set-up commands: `make run` and `make test`.
SHELL := /bin/bash
JOBS  ?= $(shell nproc)
ASAN  := build/asan
REL   := build/release
DEMO  := build/demo
# Where `make install` puts the programs and their desktop files; DESTDIR
# stages them in another root (as a package build does).
PREFIX  ?= /usr/local
DESTDIR ?=

.PHONY: run test test-windows deps build-release build-asan demo install package bench fuzz clean

deps:
	@bash scripts/install-deps.sh

build-release: deps
	@cmake -S . -B $(REL) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUOVIL_TESTS=OFF -DQUOVIL_BENCH=OFF >/dev/null
	@cmake --build $(REL) -j $(JOBS)

build-asan: deps
	@cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUOVIL_SANITIZE=ON -DQUOVIL_BENCH=OFF >/dev/null
	@cmake --build $(ASAN) -j $(JOBS)

demo: build-release
	@bash scripts/make-demo.sh $(REL) $(DEMO)

run: demo
	@bash scripts/run-demo.sh $(REL) $(DEMO)

# The Qt-free core and its tests cross-built for Windows and run under Wine.
test-windows:
	@bash scripts/test-windows.sh build/windows

test: build-asan
	@cd $(ASAN) && ctest --output-on-failure -j $(JOBS)

install: build-release
	@DESTDIR="$(DESTDIR)" cmake --install $(REL) --prefix "$(PREFIX)"

# The Debian package of the release build (build/release/quovil_*.deb),
# checked: its fields, its files, the libraries it depends on.
package: build-release
	@rm -f $(REL)/quovil_*.deb
	@cmake --build $(REL) -j $(JOBS) --target package >/dev/null
	@bash tests/install/install_checks.sh package-file $(REL)/quovil_*.deb

# Release benchmarks in their own build (no window needed), and docs/performance.md.
bench: deps
	@bash scripts/bench.sh build/bench

# Each fuzz target for FUZZ_SECONDS seconds (default 60) or FUZZ_RUNS executions under libFuzzer.
fuzz: deps
	@bash scripts/fuzz.sh

clean:
	rm -rf build
