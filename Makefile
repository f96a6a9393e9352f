# Quick start: `make run` and `make test`. Each installs what is missing
# from Debian's packages, configures and builds, then runs.
BUILD      ?= build
ASAN_BUILD ?= build-asan
CMAKE_ARGS ?=

PACKAGES = cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev qt6-qpa-plugins \
           fonts-ipafont-gothic xvfb xauth xdotool imagemagick strace valgrind

.PHONY: all deps build run test test-asan bench fuzz soak screenshot clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing packages. Install them with:"; \
	    echo "  sudo apt-get install $$missing"; exit 1; \
	  fi; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	$(BUILD)/tintaro

test: build
	ctest --test-dir $(BUILD) --output-on-failure

$(ASAN_BUILD)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTINTARO_SANITIZE=ON

test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure

screenshot: build
	scripts/screenshot.sh $(BUILD) docs/screenshot.png

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
