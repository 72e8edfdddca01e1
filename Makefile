# make        build everything (installs missing packages and dependencies first)
# make test   build, then run every test under Wine
BUILD ?= build

.PHONY: all build test clean
all: build

build:
	@tools/build.sh $(abspath $(BUILD))

test:
	@ZEL_BUILD_DIR=$(abspath $(BUILD)) tools/run-tests.sh

clean:
	rm -rf $(BUILD)
