# make run   - install what is missing, build, start Tarimo
# make test  - install what is missing, build, run every test
# make bench - install what is missing, build, run the benchmarks
# make package - install what is missing, build the Debian package build/tarimo_<version>_<arch>.deb
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test bench package clean

all: build

deps:
	@scripts/install-deps

# Line tables (-g1) are enough for a backtrace and build a third faster than
# full debug information; configure a Debug build for a debugger's view.
configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		"-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" >/dev/null

build: configure
	@cmake --build $(BUILD) --parallel $(JOBS)

# Only what the program needs, so that the first start is quick.
run: configure
	@cmake --build $(BUILD) --parallel $(JOBS) --target tarimo
	$(BUILD)/app/tarimo

test: build
	cd $(BUILD) && ctest --output-on-failure --parallel $(JOBS)

bench: build
	@cmake --build $(BUILD) --parallel $(JOBS) --target benchmarks
	@scripts/bench $(BUILD)

# Only the program and the files that go with it, then the package.
package: configure
	@cmake --build $(BUILD) --parallel $(JOBS) --target tarimo tarimo_package_files
	cd $(BUILD) && cpack

clean:
	rm -rf $(BUILD)
