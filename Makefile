# make run: build the optimised engine and start it; make test: build and run every test;
# make arm: the two static 32-bit ARM deliverables.
JOBS ?= $(shell nproc)
ROOT := $(CURDIR)
ARMV7 := build/arm/mirelt-armv7
ARMV6 := build/arm/mirelt-armv6
QEMU_ARMV7 := qemu-arm -cpu cortex-a7 $(ROOT)/$(ARMV7)
QEMU_ARMV6 := qemu-arm -cpu arm1176 $(ROOT)/$(ARMV6)
# Black-box tests left out of the emulated runs (ctest regex; too slow under emulation).
ARM_EXCLUDE ?= SelfPlay
# Emulated runs are slower: every harness time-out is multiplied by this.
ARM_TIMEOUT_SCALE ?= 6

.PHONY: all deps deps-arm deps-gui release asan arm run test test-unit test-release test-arm clean

all: release

deps:
	@scripts/install-deps

deps-arm:
	@scripts/install-deps arm

deps-gui:
	@scripts/install-deps gui

release: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DMIRELT_TESTS=OFF >/dev/null
	cmake --build build/release -j $(JOBS)

asan: deps
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DMIRELT_SANITIZE=ON >/dev/null
	cmake --build build/asan -j $(JOBS)

arm: deps-arm
	cmake -S . -B build/arm/v7 -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/armv7-toolchain.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DMIRELT_TESTS=OFF >/dev/null
	cmake -S . -B build/arm/v6 -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/armv6-toolchain.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DMIRELT_TESTS=OFF >/dev/null
	cmake --build build/arm/v7 -j $(JOBS) --target mirelt bench_search
	cmake --build build/arm/v6 -j $(JOBS) --target mirelt bench_search
	cp build/arm/v7/mirelt $(ARMV7)
	cp build/arm/v6/mirelt $(ARMV6)

run: release
	./build/release/mirelt

# Unit and black-box tests on the sanitizer build, black-box tests and games inside the real
# xboard GUI on the optimised build, then the black-box tests on both ARM builds under
# emulation, and a transcript comparison of all builds. Every build must also give the
# recorded search node signature (scripts/check-signature).
test: test-unit test-release test-arm

test-unit: asan
	cd build/asan && ctest -LE gui --output-on-failure -j $(JOBS)

test-release: release asan deps-gui
	cd build/asan && MIRELT_ENGINE="$(ROOT)/build/release/mirelt" ctest -L 'blackbox|gui' --output-on-failure -j $(JOBS)
	scripts/check-signature build/release/bench_search

test-arm: arm asan release
	cd build/asan && MIRELT_ENGINE="$(QEMU_ARMV7)" MIRELT_TIMEOUT_SCALE=$(ARM_TIMEOUT_SCALE) \
	  ctest -L blackbox -E '$(ARM_EXCLUDE)' --output-on-failure -j $(JOBS)
	cd build/asan && MIRELT_ENGINE="$(QEMU_ARMV6)" MIRELT_TIMEOUT_SCALE=$(ARM_TIMEOUT_SCALE) \
	  ctest -L blackbox -E '$(ARM_EXCLUDE)' --output-on-failure -j $(JOBS)
	scripts/compare-builds build/release/mirelt "$(QEMU_ARMV7)" "$(QEMU_ARMV6)"
	scripts/check-signature "qemu-arm -cpu cortex-a7 build/arm/v7/bench_search" \
	  "qemu-arm -cpu arm1176 build/arm/v6/bench_search"

clean:
	rm -rf build
