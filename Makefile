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
# compiler is there, the Windows zip of the programs `make windows` builds, in
# $(WINDOWS_BUILD_DIR)/packages; and
# for each CPU of CROSS_CPUS whose cross compiler, terminfo library and C++
# library are there, that CPU's Debian package, in build-<arch>/packages, its
# dependencies read off that CPU's libraries.
WINDOWS_BUILD_DIR ?= build-windows
WINDOWS_TOOLCHAIN := cmake/toolchains/mingw-w64-x86_64.cmake
MINGW := $(shell command -v x86_64-w64-mingw32-g++-posix 2>/dev/null)
# Debian architecture, compiler triplet and multiarch folder of each CPU; the
# toolchain file is cmake/toolchains/<triplet>.cmake.
CROSS_CPUS := arm64:aarch64-linux-gnu:aarch64-linux-gnu \
  armhf:arm-linux-gnueabihf:arm-linux-gnueabihf \
  i386:i686-linux-gnu:i386-linux-gnu \
  s390x:s390x-linux-gnu:s390x-linux-gnu

# cross_configure DIR,TOOLCHAIN: the shell command that configures DIR for
# TOOLCHAIN, unless it is configured already.
cross_configure = [ -f $(1)/CMakeCache.txt ] || cmake -S . -B $(1) -G "$(GENERATOR)" \
  -DCMAKE_TOOLCHAIN_FILE=$(2)

package: build $(if $(MINGW),windows)
	cmake --build $(BUILD_DIR) --target package
ifneq ($(MINGW),)
	cd $(WINDOWS_BUILD_DIR) && cpack
else
	@echo "package: no Windows zip: needs the mingw-w64 cross compiler (x86_64-w64-mingw32-g++-posix)"
endif
	@set -e; for cpu in $(CROSS_CPUS); do \
	  arch=$${cpu%%:*}; rest=$${cpu#*:}; triplet=$${rest%%:*}; lib=/usr/lib/$${rest#*:}; \
	  if command -v $$triplet-g++ >/dev/null && [ -e $$lib/libtinfo.so.6 ] \
	    && [ -e $$lib/libstdc++.so.6 ]; then \
	    dir=build-$$arch; \
	    $(call cross_configure,$$dir,cmake/toolchains/$$triplet.cmake); \
	    cmake --build $$dir --target colorviewer colorchart manual_pages; \
	    (cd $$dir && cpack); \
	  else \
	    echo "package: no $$arch .deb: needs g++-$$triplet, libncurses-dev:$$arch and libstdc++6:$$arch"; \
	  fi; \
	done

# The two Windows programs, cross-compiled with mingw-w64 into static .exe
# files in $(WINDOWS_BUILD_DIR)/bin; tests/suites/30-windows.sh runs them
# under wine.
.PHONY: windows
windows:
	@[ -n "$(MINGW)" ] || { \
	  echo "windows: needs the mingw-w64 cross compiler (apt-get install g++-mingw-w64-x86-64-posix)"; \
	  exit 1; }
	@$(call cross_configure,$(WINDOWS_BUILD_DIR),$(WINDOWS_TOOLCHAIN))
	cmake --build $(WINDOWS_BUILD_DIR) --target colorviewer colorchart

# Output and idle costs of both programs in a pseudo-terminal, against an
# ncurses program drawing the same screens; see bench/terminal_bench.cpp.
bench:
	@BUILD_DIR=$(BUILD_DIR) bench/run

clean:
	rm -rf $(BUILD_DIR)
