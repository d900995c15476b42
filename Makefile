# Vexaro Photo Maker: the commands a person and CI use. Every target first
# installs what is missing (Debian packages), then configures and builds.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
ifeq ($(CI),true)
CMAKE_FLAGS += -DLENTI_WERROR=ON
endif

.PHONY: all deps build test run demo bench fuzz test-sanitize clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

run: build
	$(BUILD)/app/vexaro-photo-maker

demo: build
	scripts/demo $(BUILD)

bench: build
	scripts/run-bench $(BUILD)

FUZZ_SECONDS ?= 60
fuzz:
	@WITH_FUZZ=1 scripts/install-deps
	scripts/fuzz $(FUZZ_SECONDS)

test-sanitize: deps
	cmake -S . -B build-sanitize -G Ninja -DLENTI_SANITIZE=ON -DLENTI_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS) --timeout 900

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz
