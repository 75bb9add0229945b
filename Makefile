# The two commands of the README, and a few more for development.
BUILD_DIR ?= build
GENERATOR := $(if $(shell command -v ninja 2>/dev/null),Ninja,Unix Makefiles)

.PHONY: all build run test bench clean install package

all: build

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -G "$(GENERATOR)"

build: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR)

run: build
	@if [ -x $(BUILD_DIR)/bin/colorviewer ]; then exec $(BUILD_DIR)/bin/colorviewer; \
	else echo "colorviewer is not built yet"; fi

# Every test suite under tests/suites, in order; see tests/run-suites.
test: build
	@BUILD_DIR=$(BUILD_DIR) tests/run-suites

# Install the programs and their manual pages. PREFIX chooses the prefix
# (without it, the configured one: /usr/local unless CMAKE_INSTALL_PREFIX was
# set); DESTDIR stages the whole tree under another root.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) $(if $(PREFIX),--prefix "$(PREFIX)")

# The Debian package, in $(BUILD_DIR)/packages; when the mingw-w64 cross
# compiler is there, the Windows zip, in $(WINDOWS_BUILD_DIR)/packages; and
# when the arm64 cross compiler and terminfo library are there, the arm64
# Debian package, in $(ARM64_BUILD_DIR)/packages.
WINDOWS_BUILD_DIR ?= build-windows
WINDOWS_TOOLCHAIN := cmake/toolchains/mingw-w64-x86_64.cmake
ARM64_BUILD_DIR ?= build-arm64
ARM64_TOOLCHAIN := cmake/toolchains/aarch64-linux-gnu.cmake

package: build
	cmake --build $(BUILD_DIR) --target package
	@if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then \
	  set -e; \
	  [ -f $(WINDOWS_BUILD_DIR)/CMakeCache.txt ] || cmake -S . -B $(WINDOWS_BUILD_DIR) \
	    -G "$(GENERATOR)" -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN); \
	  cmake --build $(WINDOWS_BUILD_DIR) --target colorviewer colorchart; \
	  cd $(WINDOWS_BUILD_DIR) && cpack; \
	else \
	  echo "package: no Windows zip: needs the mingw-w64 cross compiler (x86_64-w64-mingw32-g++-posix)"; \
	fi
	@if command -v aarch64-linux-gnu-g++ >/dev/null && [ -e /usr/lib/aarch64-linux-gnu/libtinfo.so ] \
	  && [ -e /usr/lib/aarch64-linux-gnu/libstdc++.so.6 ]; then \
	  set -e; \
	  [ -f $(ARM64_BUILD_DIR)/CMakeCache.txt ] || cmake -S . -B $(ARM64_BUILD_DIR) \
	    -G "$(GENERATOR)" -DCMAKE_TOOLCHAIN_FILE=$(ARM64_TOOLCHAIN); \
	  cmake --build $(ARM64_BUILD_DIR) --target colorviewer colorchart manual_pages; \
	  cd $(ARM64_BUILD_DIR) && cpack; \
	else \
	  echo "package: no arm64 .deb: needs g++-aarch64-linux-gnu, libncurses-dev:arm64 and libstdc++6:arm64"; \
	fi

# The two Windows programs, cross-compiled with mingw-w64 into static .exe
# files in $(WINDOWS_BUILD_DIR)/bin; tests/suites/30-windows.sh runs them
# under wine.
.PHONY: windows
windows:
	@command -v x86_64-w64-mingw32-g++-posix >/dev/null || { \
	  echo "windows: needs the mingw-w64 cross compiler (apt-get install g++-mingw-w64-x86-64-posix)"; \
	  exit 1; }
	@[ -f $(WINDOWS_BUILD_DIR)/CMakeCache.txt ] || cmake -S . -B $(WINDOWS_BUILD_DIR) \
	  -G "$(GENERATOR)" -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN)
	cmake --build $(WINDOWS_BUILD_DIR) --target colorviewer colorchart

# Output and idle costs of both programs in a pseudo-terminal, against an
# ncurses program drawing the same screens; see bench/terminal_bench.cpp.
bench:
	@BUILD_DIR=$(BUILD_DIR) bench/run

clean:
	rm -rf $(BUILD_DIR)
