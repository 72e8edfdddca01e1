# make        install what is missing, then build the programs into build/i686
# make test   build, then run every test under Wine
# make demo   the updater's whole road under Wine against the bundled release server
# make bench  build and run the benchmarks, printing their table
BUILD ?= build

.PHONY: all build test demo bench clean
all: build

build:
	@tools/setup-host.sh
	@tools/build.sh i686 $(abspath $(BUILD))/i686

test:
	@ZEL_BUILD_DIR=$(abspath $(BUILD)) tools/run-tests.sh

demo:
	@ZEL_BUILD_DIR=$(abspath $(BUILD)) tools/demo.sh

bench:
	@ZEL_BUILD_DIR=$(abspath $(BUILD)) tools/bench.sh

clean:
	rm -rf $(BUILD)
