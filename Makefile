# The two commands a newcomer needs: `make run` and `make test`.
BUILD    ?= build
TYPE     ?= RelWithDebInfo
SANITIZE ?= OFF
# Warnings stop the build only where asked: CI and developers set WERROR=ON.
WERROR   ?= OFF
JOBS     ?= $(shell nproc)
PREFIX   ?= /usr/local
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test bench fuzz install uninstall clean

all: build

deps:
	@sh scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(TYPE) -DTESSERA_SANITIZE=$(SANITIZE) -DTESSERA_WERROR=$(WERROR) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# When Tessera cannot start (no display, say) it says why in one line, and
# make adds its own line with Tessera's exit status.
run: build
	@$(BUILD)/tessera

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@sh bench/run-all $(BUILD)

# Installs into PREFIX (under DESTDIR when set, for packaging), the program
# stripped. Without DESTDIR it also updates the desktop's MIME and launcher
# caches; uninstall removes what the last install listed in its manifest and
# updates them again.
install: build
	@DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX) --strip

uninstall:
	@DESTDIR=$(DESTDIR) cmake -DMANIFEST=$(BUILD)/install_manifest.txt -P cmake/Uninstall.cmake

fuzz: deps
	@sh fuzz/run $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) build-asan build-fuzz
