# Quick start: `make run` and `make test`. Each installs what is missing
# from Debian's packages, configures and builds, then runs.
BUILD      ?= build
ASAN_BUILD ?= build-asan
CMAKE_ARGS ?=
# Warnings are errors here and in CI, and Qt's Japanese translations are
# required; a packager's plain cmake build keeps warnings warnings and falls
# back to Qt's English texts when the translations are not installed.
STRICT     = -DTINTARO_WERROR=ON -DTINTARO_QT_TRANSLATIONS=ON

# Every program the build and the tests start is named, not left to another
# package's recommendations, so that `make test` passes with apt's
# recommends turned off: `file` for CPack's dependency scan, `xwayland` for
# weston's XWayland among them.
PACKAGES = cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev qt6-qpa-plugins \
           fonts-ipafont-gothic xvfb xauth xdotool xclip imagemagick strace valgrind dpkg-dev file \
           desktop-file-utils appstream dbus at-spi2-core python3-pyatspi weston xwayland qt6-wayland openbox libxcb1-dev \
           qt6-translations-l10n \
           x11-utils x11-xserver-utils locales libxcb-randr0-dev xdg-desktop-portal xdg-desktop-portal-gnome \
           python3-dbusmock wmctrl nodejs npm chromium python3-gi gir1.2-glib-2.0 python3-colorspacious \
           libwayland-dev libwayland-bin wayland-protocols libxkbcommon-dev sway grim wtype

.PHONY: all deps reference-deps build build-sanitized run test test-asan package bench fuzz soak screenshot clean

all: build

# A package counts as present when it is installed or an installed package
# provides it (a Node.js that brings its own npm).
deps:
	@provided=$$(dpkg-query -W -f='$${db:Status-Abbrev}|$${Provides}\n' 2>/dev/null | sed -n 's/^ii *|//p' \
	    | tr ',' '\n' | sed 's/(.*//; s/ //g'); \
	missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' \
	    || printf '%s\n' "$$provided" | grep -qx "$$p" || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing packages. Install them with:"; \
	    echo "  sudo apt-get install $$missing"; exit 1; \
	  fi; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(STRICT) $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	$(BUILD)/tintaro

# The npm packages the reference tests run, as package-lock.json pins them.
reference-deps: deps tests/reference/node_modules/.package-lock.json

tests/reference/node_modules/.package-lock.json: tests/reference/package.json tests/reference/package-lock.json
	cd tests/reference && npm ci --no-audit --no-fund

# Every test, in the ordinary build and again in the sanitized one (which
# also runs the fuzzer for a short while).
test: build build-sanitized reference-deps
	ctest --test-dir $(BUILD) --output-on-failure
	ctest --test-dir $(ASAN_BUILD) --output-on-failure

$(ASAN_BUILD)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTINTARO_SANITIZE=ON $(STRICT)

build-sanitized: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD)

test-asan: build-sanitized
	ctest --test-dir $(ASAN_BUILD) --output-on-failure

# Each fuzzer for a minute, starting from the committed seeds.
fuzz: build-sanitized
	rm -rf $(ASAN_BUILD)/fuzz/corpus && mkdir -p $(ASAN_BUILD)/fuzz/corpus
	$(ASAN_BUILD)/fuzz/fuzz_colour -max_total_time=60 -print_final_stats=1 \
	    -dict=fuzz/colour.dict $(ASAN_BUILD)/fuzz/corpus fuzz/corpus
	rm -rf $(ASAN_BUILD)/fuzz/corpus_css && mkdir -p $(ASAN_BUILD)/fuzz/corpus_css
	$(ASAN_BUILD)/fuzz/fuzz_css -max_total_time=60 -print_final_stats=1 \
	    -dict=fuzz/css.dict $(ASAN_BUILD)/fuzz/corpus_css fuzz/corpus_css

# A .deb in $(BUILD)/, its dependencies from the libraries it links.
package: build
	cd $(BUILD) && cpack -G DEB

# Start-up and memory against a bare Qt window, the handler figures, and the
# X11 pick's loupe and memory on large screens.
bench: build
	/usr/bin/python3 bench/run.py $(BUILD)

# A million model-checked events, with resident memory before and after.
soak: build
	QT_QPA_PLATFORM=offscreen TINTARO_EVENTS=1000000 QTEST_FUNCTION_TIMEOUT=7200000 \
	    $(BUILD)/tests/window/tst_session -maxwarnings 0 -o $(BUILD)/soak.log,txt; status=$$?; \
	grep -v propagateSizeHints $(BUILD)/soak.log; exit $$status

screenshot: build
	scripts/screenshot.sh $(BUILD) docs/screenshot.png
	scripts/screenshot.sh $(BUILD) docs/chooser.png chooser
	scripts/screenshot.sh $(BUILD) docs/pair.png pair
	scripts/screenshot.sh $(BUILD) docs/copymenu.png copymenu
	scripts/screenshot.sh $(BUILD) docs/loupe.png loupe
	scripts/screenshot.sh $(BUILD) docs/palette.png palette
	scripts/screenshot.sh $(BUILD) docs/palettemenu.png palettemenu

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
