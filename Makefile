# Vexaro Photo Maker: the commands a person and CI use. `make build` only configures and builds
# (for a machine that has the packages); every other target first installs what is missing
# (Debian packages, scripts/install-deps).
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
# Warnings are errors in CI, whatever an existing build folder's cache holds.
ifeq ($(CI),true)
WERROR = ON
else
WERROR = OFF
endif
# Configuring an existing build folder again is cheap and keeps the flags above in force.
CONFIGURE = cmake -S . -G Ninja -DLENTI_WERROR=$(WERROR) $(CMAKE_FLAGS)
LSAN_OPTIONS_SANITIZE = suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0

.PHONY: all deps build test run demo bench fuzz fuzz-build test-sanitize check-layers install package clean

all: build

deps:
	@scripts/install-deps

build:
	$(CONFIGURE) -B $(BUILD)
	cmake --build $(BUILD) -j $(JOBS)

test: deps
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

run: deps
	@$(MAKE) --no-print-directory build
	$(BUILD)/app/vexaro-photo-maker

demo: deps
	@$(MAKE) --no-print-directory build
	scripts/demo $(BUILD)

bench: deps
	@$(MAKE) --no-print-directory build
	scripts/run-bench $(BUILD)

# Both programs, the desktop entry, the icon and the manual pages under
# PREFIX (DESTDIR=... stages them elsewhere, as packagers do).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package (build/vexaro-photo-maker_<version>_<arch>.deb) of the same files under /usr.
package: build
	cd $(BUILD) && cpack -G DEB

# The layering alone, without a build (make test runs it too).
check-layers:
	scripts/check-layers

FUZZ_SECONDS ?= 60
fuzz:
	@WITH_FUZZ=1 scripts/install-deps
	scripts/fuzz $(FUZZ_SECONDS)

# The fuzz targets built but not run, so that CI notices when they no longer compile.
fuzz-build:
	@WITH_FUZZ=1 scripts/install-deps
	scripts/fuzz --build-only

test-sanitize: deps
	$(CONFIGURE) -B build-sanitize -DLENTI_SANITIZE=ON -DLENTI_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=$(LSAN_OPTIONS_SANITIZE) \
	  ctest --output-on-failure -j $(JOBS) --timeout 900

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz
