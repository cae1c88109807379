# make run   - install what is missing, build, start Tarimo
# make test  - install what is missing, build, run every test
# make bench - install what is missing, build, run the benchmarks
# make soak  - install what is missing, build, run the real program for two faked days, then a storm of keys
# make package - install what is missing, build the Debian package build/tarimo_<version>_<arch>.deb
# make sanitize - the tests built with AddressSanitizer and UBSan in build-sanitize, and run there
# make translations - bring translations/*.ts up to date with the texts of the code
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test bench soak package sanitize translations clean

all: build

deps:
	@scripts/install-deps

# Line tables (-g1) are enough for a backtrace and build a third faster than
# full debug information; configure a Debug build for a debugger's view.
# The libraries are unity builds; the clang check in `make test` still reads
# every file alone.
configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARIMO_UNITY_BUILD=ON \
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

soak: configure
	@cmake --build $(BUILD) --parallel $(JOBS) --target tarimo app_price_service
	@scripts/soak $(BUILD)
	@scripts/soak --storm $(BUILD)

# Only the program and the files that go with it, then the package.
package: configure
	@cmake --build $(BUILD) --parallel $(JOBS) --target tarimo tarimo_package_files
	cd $(BUILD) && cpack

# Without the benchmarks. Left out of the run: clang_syntax only parses the
# sources, and the packaging check packs a release build. The real program
# runs here too, instrumented, against the loopback service.
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
sanitize: deps
	@cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARIMO_BUILD_BENCHMARKS=OFF -DTARIMO_HARDENING=OFF \
		-DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" >/dev/null
	@cmake --build build-sanitize --parallel $(JOBS)
	cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure --parallel $(JOBS) -E '^(clang_syntax|packaging.*)$$'

# lupdate over the sources: new texts come in unfinished, texts the code no
# longer has go. Then translate the new ones in translations/tarimo_sv.ts.
translations: configure
	@cmake --build $(BUILD) --target update_translations

clean:
	rm -rf $(BUILD)
