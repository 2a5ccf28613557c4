# make run: build the optimised engine and start it; make test: build and run every test.
JOBS ?= $(shell nproc)

.PHONY: all deps release asan run test clean

all: release

deps:
	@scripts/install-deps

release: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DMIRELT_TESTS=OFF >/dev/null
	cmake --build build/release -j $(JOBS)

asan: deps
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DMIRELT_SANITIZE=ON >/dev/null
	cmake --build build/asan -j $(JOBS)

run: release
	./build/release/mirelt

test: release asan
	cd build/asan && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf build
