# Shinkei: a card game of pairs for Windows, built on Linux with MinGW-w64 and run under Wine.
#   make play     build shinkei.exe and play it (in a virtual display, with a screenshot, if no X)
#   make test     build everything and run every test: native, Windows-side and in the browser
#   make exe      only shinkei.exe and its sound files beside it, in build/windows (plain make)
#   make windows  every Windows target: shinkei.exe, the scripted runner, the Windows-side tests
#   make native   only the native build: tests on the simulated desktop, the simulator
#   make release  the optimised simulator and benchmark, built from a profile of its own run
#   make web      the game as one page: build/web/index.html (open it in a browser)
#   make server   a rooms server (NATS) on 127.0.0.1 for online play, in the foreground
#   make report   docs/opponents.md and its picture: every set of computers, played by the simulator
#   make bench    how fast the optimised simulator plays: one game, and a hundred in one run
#   make monkey   a million random events on the simulated desktop, under the sanitizers
#   make fuzz     the script reader under libFuzzer for FUZZ_SECONDS (clang)
#   make dist     the releases: build/dist/shinkei-VERSION-win64.zip and shinkei-VERSION-web.zip
#   make deb      the Debian package: build/dist/shinkei_VERSION-1_all.deb
#   make install  the game in the Linux desktop's menu (PREFIX=~/.local; DESTDIR honoured)
#   make uninstall  removes what make install put there
#   make format   clang-format the C++, Prettier the JavaScript
#   make lint     clang-tidy over the C++; ESLint and Prettier's check over the JavaScript
#   make clean    removes build/: every build, the Wine prefixes, the releases
#   make help     this list
SHELL := /bin/bash
.SHELLFLAGS := -euo pipefail -c

.PHONY: all setup play test exe native windows web server release game-files dist deb install uninstall \
	monkey fuzz format lint report bench clean help

all: exe

setup:
	@scripts/setup

exe: setup
	cmake --preset windows
	cmake --build --preset windows --target shinkei

windows: setup
	cmake --preset windows
	cmake --build --preset windows

native: setup
	cmake --preset native
	cmake --build --preset native

# The simulator is built instrumented, plays a training tournament, and is built again with the
# profile it wrote: a tournament, a transcript, and the scripted sessions with humans and boxes.
release: setup
	cmake --preset release-training
	cmake --build --preset release-training --target shinkei-sim
	rm -rf build/profile
	build/release-training/shinkei-sim tournament --computers 0x0F --games 2000 --seed 1 >/dev/null
	build/release-training/shinkei-sim play --seed 1 --computers 0x0f --games 3 >/dev/null
	for script in tests/scripts/*.txt; do \
	    build/release-training/shinkei-sim script --seed 1 "$$script" >/dev/null; done
	cmake --preset release
	cmake --build --preset release

# Every one of the 15 sets of computers plays REPORT_GAMES games on every core; gnuplot draws the
# win shares with their intervals.
REPORT_GAMES ?= 20000
REPORT_SEED ?= 1
report: release
	build/release/shinkei-sim report --games $(REPORT_GAMES) --seed $(REPORT_SEED) \
	    --data build/opponents.dat >build/opponents.md
	gnuplot -e "data='build/opponents.dat'; picture='docs/opponents.png'" tools/sim/opponents.gp
	mv build/opponents.md docs/opponents.md

# The Google Benchmark of whole games, in the optimised build (figures, not a test).
bench: release
	build/release/game_bench

# The program compiled to WebAssembly with its page, fonts, sounds and images: one file.
web: setup
	cmake --preset web
	cmake --build --preset web

# One rooms server for online play: ws://127.0.0.1:8080 unless NATS_HOST, NATS_WS_PORT say
# otherwise (scripts/nats-server lists them); its store is build/nats. Ctrl-C stops it.
server: setup
	scripts/nats-server

# Only the game and its sound files: none of the Windows-side tests or their GoogleTest.
play: exe
	scripts/play

# Every suite runs even when an earlier one fails; the target fails if any did. The browser tests
# compare with what the native tests leave behind (the simulator, the simulated screens).
test: native windows release web
	scripts/wine
	@status=0; \
	ctest --preset native -j 2 || status=1; \
	ctest --preset windows || status=1; \
	tests/web/run || status=1; \
	tests/rooms/run || status=1; \
	if ((status)); then echo "make test: FAILED (see the summaries above)"; else echo "make test: all native, Windows-side, browser and rooms server tests passed"; fi; \
	exit $$status

# SEED=N plays the same events again.
MONKEY_EVENTS ?= 1000000
SEED ?= $(shell date +%s)
monkey: setup
	cmake --preset native
	cmake --build --preset native --target native_tests
	SHINKEI_MONKEY_EVENTS=$(MONKEY_EVENTS) SHINKEI_MONKEY_SEED=$(SEED) \
	    build/native/native_tests --gtest_filter='Monkey.*'

# The test scripts seed the corpus; whatever the fuzzer finds is kept in build/fuzz.
FUZZ_SECONDS ?= 120
fuzz: setup
	cmake --preset fuzz
	cmake --build --preset fuzz --target script_fuzzer
	mkdir -p build/fuzz/corpus
	cp tests/fuzz/scripts/*.txt build/fuzz/corpus/
	build/fuzz/script_fuzzer -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=build/fuzz/ \
	    build/fuzz/corpus

# The program and the sound files beside it, as a player's copy holds them.
game-files: setup
	cmake --preset windows
	cmake --build --preset windows --target game_files

dist: game-files web
	scripts/dist
	scripts/dist-web build/web

deb: game-files
	scripts/deb

install: game-files
	scripts/install install

uninstall:
	scripts/install uninstall

# The page's scripts, the tools and tests that run under node, and the linter's own settings.
JS_SOURCES := 'web/**/*.js' 'tools/web/**/*.mjs' 'tests/web/**/*.mjs' 'tests/rooms/**/*.mjs' \
	eslint.config.js

format: setup
	find src tests tools -name '*.cpp' -o -name '*.h' | xargs clang-format -i
	npx --no-install prettier --log-level=warn --write $(JS_SOURCES)

# clang-tidy reads .clang-tidy and the native build's compile commands.
# Clang reads -Wconversion as also -Wsign-conversion, which g++, the compiler the warnings are set
# for, leaves out of C++.
lint: setup
	cmake --preset native >/dev/null
	run-clang-tidy -p build/native -quiet -extra-arg=-Wno-sign-conversion '$(CURDIR)/(src|tools|tests)/'
	npx --no-install eslint --max-warnings=0 .
	npx --no-install prettier --check $(JS_SOURCES)

clean:
	rm -rf build

# The list is the header comment above, written once.
help:
	@sed -n '/^[^#]/q; s/^#   //p' $(firstword $(MAKEFILE_LIST))
