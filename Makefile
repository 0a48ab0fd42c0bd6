# Varnock: `make` builds, `make test` runs every suite, `make demo` shows the tool at work.
# PAYLOAD=<folder> builds build/win64/bin/Varnock.exe around another payload folder.

BUILD      := build
JOBS       ?= 2
# Passed on every configure, so a build without PAYLOAD returns to the demo payload.
CMAKE_ARGS := -DVARNOCK_PAYLOAD=$(if $(PAYLOAD),$(abspath $(PAYLOAD)),)

.PHONY: all bootstrap host win64 fuzz-build test demo fuzz format clean

all: win64

bootstrap:
	@scripts/bootstrap

host: bootstrap
	@cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD)/host -j $(JOBS)

# The Windows build needs the host tools (the archive packer) first.
win64: host
	@cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNOCK_HOST_BIN=$(abspath $(BUILD)/host/bin) \
	    $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD)/win64 -j $(JOBS)

# libFuzzer over the archive reader, in a clang tree of its own; `make fuzz FUZZ_SECONDS=n`.
FUZZ_SECONDS ?= 300
fuzz-build: bootstrap
	@cmake -S tests/fuzz -B $(BUILD)/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(BUILD)/fuzz -j $(JOBS)

fuzz: fuzz-build
	@$(BUILD)/fuzz/folderpack_fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -dict=tests/fuzz/folderpack.dict $(BUILD)/fuzz/corpus $(BUILD)/fuzz/seeds

test: win64 fuzz-build
	@scripts/run-tests

demo: win64
	@scripts/demo

format:
	@git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
