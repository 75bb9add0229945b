# The two commands of the README, and a few more for development.
BUILD_DIR ?= build
GENERATOR := $(if $(shell command -v ninja 2>/dev/null),Ninja,Unix Makefiles)

.PHONY: all build run test bench clean

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

clean:
	rm -rf $(BUILD_DIR)
