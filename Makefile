# Chronwick: one way to set up, build, run and test.
#   make run    installs what is missing, builds, and starts the clock in build/runtime
#   make test   installs what is missing, builds, and runs the whole suite through ctest
# These builds, and the package's, take Debian's hardening flags from dpkg-buildflags
# (CMakeLists.txt); the sanitizer and fuzz builds go without.

BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all setup build run test bench screenshot test-sanitize fuzz package fresh-root clean

all: build

setup:
	@tools/setup-debian.sh

build: setup
	@cmake -S . -B $(BUILD) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@# An X display serves every SDL 1.2 runtime, a Wayland display alone only the compat runtime;
	@# through X with the launcher's SDL hints (packaging/chronwick.sh.in), on Wayland without.
	@if [ -n "$$DISPLAY" ]; then \
	    set -- SDL_VIDEODRIVER=x11 SDL_RENDER_DRIVER=$${SDL_RENDER_DRIVER:-software} \
	        SDL_FRAMEBUFFER_ACCELERATION=$${SDL_FRAMEBUFFER_ACCELERATION:-0}; \
	elif [ -n "$$WAYLAND_DISPLAY" ] && sh tools/sdl_runtime.sh $(BUILD)/chronwick | grep -q '^compat'; then \
	    set -- SDL_VIDEODRIVER=wayland; \
	else \
	    echo "No display to open the clock on; to run it headless: xvfb-run -s '-screen 0 1280x1024x24 -noreset' make run"; \
	    exit 1; \
	fi; \
	cd $(BUILD)/runtime && env "$$@" ../chronwick

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# Google Benchmark figures and the whole-process measurement.
bench: build
	@bench/run.sh $(BUILD)

# A PNG of the clock view and of the legend, taken under Xvfb.
screenshot: build
	@tools/screenshot.sh $(BUILD)

# The unit and in-process tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: setup
	@tools/reliability/sanitize.sh

# Each fuzz target for FUZZ_SECONDS seconds (default 60).
fuzz: setup
	@tools/reliability/fuzz.sh $(or $(FUZZ_SECONDS),60)

# The Debian package, in build/. Its file times are those of the last commit (outside a git
# checkout, of the changelog's entry), unless SOURCE_DATE_EPOCH is set: so the same commit gives
# the same .deb in any folder.
package: build
	@epoch=$${SOURCE_DATE_EPOCH:-$$(git log -1 --format=%ct -- . 2>/dev/null)}; \
	epoch=$${epoch:-$$(dpkg-parsechangelog -l packaging/changelog -S Timestamp)}; \
	cd $(BUILD) && SOURCE_DATE_EPOCH=$$epoch cpack -G DEB

# The README's commands and the package in a fresh minimal root of a Debian release (as root):
# make fresh-root RELEASE=trixie (the default), RELEASE=forky or RELEASE=bookworm.
fresh-root:
	@tools/fresh-root.sh $(or $(RELEASE),trixie)

clean:
	rm -rf $(BUILD)
