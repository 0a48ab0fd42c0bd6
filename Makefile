# Varnock: `make` builds, `make test` runs every suite, `make demo` shows the tool at work,
# `make release` fills build/release/ with what is shipped.
# PAYLOAD=<folder> builds build/win64/bin/Varnock.exe around another payload folder;
# UNATTENDED=1 embeds the consent to update without asking where nobody can answer;
# VERSION=a.b.c.d stamps its version resource; SIGN_CERT=<PEM or PKCS#12> [SIGN_KEY=<PEM key>]
# [SIGN_TIMESTAMP=<RFC 3161 URL>] [SIGN_PASS_FILE=<file>, or SIGN_PASS in the environment] signs it.
# SOURCE_DATE_EPOCH (default: the last commit's time) is the latest time the payload stores.

BUILD      := build
JOBS       ?= 2
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)

# The consent is the release engineer's decision for one build: only UNATTENDED=1 on the command
# line embeds it. Another value stops make; one left in the environment is ignored.
UNATTENDED_CONSENT := OFF
ifeq ($(origin UNATTENDED),command line)
    ifeq ($(UNATTENDED),1)
        UNATTENDED_CONSENT := ON
        $(info make: UNATTENDED=1: Varnock.exe carries the consent to update without asking where nobody can answer)
    else
        $(error UNATTENDED=$(UNATTENDED): give UNATTENDED=1 for the unattended build, or leave the variable out)
    endif
else ifneq ($(filter environment%,$(origin UNATTENDED)),)
    $(info make: UNATTENDED in the environment is ignored: Varnock.exe asks first; give UNATTENDED=1 on the make command line for the unattended build)
endif

# Passed on every configure, so a build without them returns to the defaults.
optional_path = $(if $(1),$(abspath $(1)),)
CMAKE_ARGS := -DVARNOCK_PAYLOAD=$(call optional_path,$(PAYLOAD)) -DVARNOCK_VERSION=$(VERSION) \
    -DVARNOCK_UNATTENDED=$(UNATTENDED_CONSENT) \
    -DVARNOCK_SOURCE_DATE_EPOCH=$(SOURCE_DATE_EPOCH) \
    -DVARNOCK_SIGN_CERT=$(call optional_path,$(SIGN_CERT)) -DVARNOCK_SIGN_KEY=$(call optional_path,$(SIGN_KEY)) \
    -DVARNOCK_SIGN_TIMESTAMP=$(SIGN_TIMESTAMP) -DVARNOCK_SIGN_PASS_FILE=$(call optional_path,$(SIGN_PASS_FILE))

.PHONY: all bootstrap host win64 fuzz-build test demo release fuzz format clean

all: win64

bootstrap:
	@scripts/bootstrap

host: bootstrap
	@cmake -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=RelWithDebInfo
	@cmake --build $(BUILD)/host -j $(JOBS)

# The Windows build needs the host tools (the archive packer) first.
win64: host
	@cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNOCK_HOST_BIN=$(abspath $(BUILD)/host/bin) \
	    $(CMAKE_ARGS)
	@cmake --build $(BUILD)/win64 -j $(JOBS)

# libFuzzer over the archive reader and over what fpack embed reads from an executable: the
# fuzzing build of the same tree, with clang; `make fuzz FUZZ_SECONDS=n` runs each in turn.
FUZZ_SECONDS ?= 300
FUZZ_BIN := $(BUILD)/fuzz/bin
fuzz-build: bootstrap
	@cmake -S . -B $(BUILD)/fuzz -DVARNOCK_FUZZING_BUILD=ON -DCMAKE_C_COMPILER=clang \
	    -DCMAKE_CXX_COMPILER=clang++
	@cmake --build $(BUILD)/fuzz -j $(JOBS)

fuzz: fuzz-build
	@$(FUZZ_BIN)/folderpack_fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -dict=tests/fuzz/folderpack.dict $(BUILD)/fuzz/corpus $(BUILD)/fuzz/seeds
	@$(FUZZ_BIN)/pe_fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -dict=tests/fuzz/pe.dict $(BUILD)/fuzz/pe-corpus $(BUILD)/fuzz/pe-seeds

test: win64 fuzz-build
	@scripts/run-tests

demo: win64
	@scripts/demo

# The shipped files, their debug information and their checksums.
RELEASE_FILES := $(BUILD)/win64/bin/Varnock.exe $(BUILD)/win64/bin/Varnock.exe.debug \
    $(BUILD)/win64/bin/Varnock-stub-unsigned.exe \
    $(BUILD)/win64/bin/fpack.exe $(BUILD)/win64/bin/fpack.exe.debug \
    $(BUILD)/host/bin/fpack $(BUILD)/host/bin/fpack.debug
release: win64
	@rm -rf $(BUILD)/release && mkdir -p $(BUILD)/release
	@cp $(RELEASE_FILES) $(BUILD)/release/
	@scripts/release-info $(BUILD)/win64 $(UNATTENDED_CONSENT) > $(BUILD)/release/RELEASE.txt
	@cd $(BUILD)/release && sha256sum $(notdir $(RELEASE_FILES)) RELEASE.txt > SHA256SUMS
	@echo "release: $(BUILD)/release/"; cat $(BUILD)/release/RELEASE.txt $(BUILD)/release/SHA256SUMS

format:
	@git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
