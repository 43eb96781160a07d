# The two commands a newcomer needs: `make run` and `make test`.
BUILD    ?= build
TYPE     ?= RelWithDebInfo
SANITIZE ?= OFF
JOBS     ?= $(shell nproc)

.PHONY: all deps build run test bench clean

all: build

deps:
	@sh scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(TYPE) -DTESSERA_SANITIZE=$(SANITIZE) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/tessera

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@sh bench/run-all $(BUILD)

clean:
	rm -rf $(BUILD)
