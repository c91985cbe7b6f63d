# Chronwick: one way to set up, build, run and test.
#   make run    installs what building and running need, builds, and starts the clock in
#               build/runtime
#   make test   installs that and the test tools, builds, and runs the whole suite through ctest
# The set-up installs the build dependencies debian/control lists (without the test tools for
# make run) and runs no apt command when they are all there. These builds take Debian's
# hardening flags from dpkg-buildflags (CMakeLists.txt); the sanitizer and fuzz builds go without.

BUILD ?= build
WINDOWS_BUILD ?= build-windows
JOBS ?= $(shell nproc)
# The Windows build's own tools: the cross compiler and the installer maker; for its tests, wine
# and GoogleTest's sources too, what reads the manifest in chronwick.exe, and osslsigncode and
# gnupg for the signed downloads' test.
WINDOWS_PACKAGES := g++-mingw-w64-x86-64 nsis zip
WINDOWS_TEST_PACKAGES := $(WINDOWS_PACKAGES) wine googletest unzip icoutils libxml2-utils \
	osslsigncode gnupg
LINT_PACKAGES := shellcheck python3-jsonschema python3-yaml

.PHONY: all setup-run setup-test build build-all run test bench screenshot test-sanitize fuzz \
	package debian-check arm-check fresh-root windows windows-test bench-windows lint release \
	clean

all: build

setup-run:
	@tools/setup-debian.sh run

setup-test:
	@tools/setup-debian.sh test

# The clock. A build folder made here leaves out the tests and benchmarks, whose tools make run
# does not install; one that make test made keeps them.
build: setup-run
	@[ -f $(BUILD)/CMakeCache.txt ] || \
	    cmake -S . -B $(BUILD) -DCHRONWICK_TESTS=OFF -DCHRONWICK_BENCH=OFF >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

# The clock with the tests and benchmarks.
build-all: setup-test
	@cmake -S . -B $(BUILD) -DCHRONWICK_TESTS=ON -DCHRONWICK_BENCH=ON >/dev/null
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

test: build-all
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	@! grep -qx 'VERSION_ID="12"' /etc/os-release || $(MAKE) --no-print-directory lint

# shellcheck over every shell script, and the CI workflow and the package manifests against
# their schemas (tools/lint.sh); make test runs it on Debian 12, whose tool versions it expects.
lint:
	@tools/setup-debian.sh run $(LINT_PACKAGES)
	@tools/lint.sh

# Google Benchmark figures and the whole-process measurement.
bench: build-all
	@bench/run.sh $(BUILD)

# A PNG of the clock view and of the legend, taken under Xvfb.
screenshot: setup-test build
	@tools/screenshot.sh $(BUILD)

# The unit and in-process tests under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: setup-test
	@tools/reliability/sanitize.sh

# Each fuzz target for FUZZ_SECONDS seconds (default 60); the script installs clang.
fuzz: setup-run
	@tools/reliability/fuzz.sh $(or $(FUZZ_SECONDS),60)

# The Debian package, built and tested by dpkg-buildpackage and debhelper (debian/), which set
# the build flags, strip, compress and take the file times from debian/changelog. The .deb and
# its build records go to build/ rather than beside the source folder. With ARCH (arm64, armhf)
# sbuild cross-builds it in a clean Debian 12 root instead, and only the .deb comes to build/.
package: $(if $(ARCH),,setup-test)
ifdef ARCH
	@tools/debian-check.sh --host=$(ARCH) --out=$(BUILD) bookworm
else
	@dpkg-buildpackage -b -us -uc -J$(JOBS) --post-clean
	@mkdir -p $(BUILD)
	@release=$$(tools/version.sh) && version=$${release% *} && \
	for file in ../chronwick_$${version}_*.deb ../chronwick-dbgsym_$${version}_*.deb \
	    ../chronwick_$${version}_*.buildinfo ../chronwick_$${version}_*.changes; do \
	    mv "$$file" $(BUILD)/ || exit 1; \
	done; \
	ls $(BUILD)/chronwick_$${version}_*.deb
endif

# The source package checked with Debian's tools in clean roots of Debian 12 and 14 (or
# RELEASES): sbuild, lintian, autopkgtest; then reprotest (as root, or a user with subordinate ids).
debian-check:
	@tools/debian-check.sh $(or $(RELEASES),bookworm forky)

# The arm64 and armhf packages cross-built in a clean Debian 12 root, their in-process tests there
# under qemu-user, and the installed arm64 clock under X in an emulated root of Debian 13 (as root,
# with qemu-user-static registered with binfmt_misc).
arm-check:
	@tools/debian-check.sh --host=arm64 --out=$(BUILD) --suite --autopkgtest=trixie
	@tools/debian-check.sh --host=armhf --out=$(BUILD) --suite

# The README's commands in a brand-new minimal root of a Debian release, made by mmdebstrap:
# make fresh-root RELEASE=trixie (the default), RELEASE=forky or RELEASE=bookworm.
fresh-root:
	@tools/fresh-root.sh $(or $(RELEASE),trixie)

# The 64-bit Windows clock, cross-built with mingw-w64 against libraries cross-built once from
# pinned sources (tools/windows/build-libs.sh keeps them in a cache outside the clone), with the
# numeral pictures from the generator of the native build: $(WINDOWS_BUILD)/ then holds the
# portable zip and the installer.
windows:
	@tools/setup-debian.sh run $(WINDOWS_PACKAGES)
	@$(MAKE) --no-print-directory build
	@# The library build prints the prefix alone on its output; a failed one ends the recipe here.
	@prefix=$$(tools/windows/build-libs.sh) && \
	cmake -S . -B $(WINDOWS_BUILD) --toolchain tools/windows/mingw-w64-x86_64.cmake \
	    -DCHRONWICK_WINDOWS_PREFIX="$$prefix" -DCMAKE_CROSSCOMPILING_EMULATOR=wine \
	    -DCHRONWICK_HOST_NUMERAL_GEN=$(abspath $(BUILD))/tools/numeral_gen \
	    -DCHRONWICK_TESTS=$(if $(WINDOWS_TESTS),ON,OFF) \
	    $(if $(WINDOWS_TESTS),-DCHRONWICK_HOST_CLOSE_WINDOW=$(abspath $(BUILD))/tests/e2e/e2e_close_window) \
	    >/dev/null
	@cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target windows_packages

# The in-process tests cross-built and run under wine, and the window scenarios and the installer
# under wine on a private Xvfb (with the native build's helper that asks a window to close).
windows-test:
	@tools/setup-debian.sh test $(WINDOWS_TEST_PACKAGES)
	@$(MAKE) --no-print-directory build-all
	@$(MAKE) --no-print-directory windows WINDOWS_TESTS=1
	@cmake --build $(WINDOWS_BUILD) -j$(JOBS)
	@# The in-process tests share one wine prefix, made before ctest lists the tests in it.
	@bash tests/windows/wine_lib.sh $(WINDOWS_BUILD)/wine \
	    ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j$(JOBS)

# The sizes of the Windows downloads, and the Windows clock beside the reference loop under wine
# on Xvfb: first frame, CPU and wake-ups of the program, of wine's processes and of the X server
# (the native build's first_frame_probe watches the screen).
bench-windows: build-all
	@$(MAKE) --no-print-directory windows
	@cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target reference_loop
	@BUILD=$(BUILD) bench/windows.sh $(WINDOWS_BUILD)

# Every download of the version in debian/changelog in dist/VERSION/, signed when
# CHRONWICK_SIGN_CERT and CHRONWICK_GPG_KEY name the keys (tools/release.sh, docs/release.md).
release:
	@tools/setup-debian.sh run $(WINDOWS_PACKAGES) $(LINT_PACKAGES) \
	    $(if $(CHRONWICK_SIGN_CERT),osslsigncode)
	@WINDOWS_BUILD=$(WINDOWS_BUILD) tools/release.sh

clean:
	rm -rf $(BUILD) $(WINDOWS_BUILD)
