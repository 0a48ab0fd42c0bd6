#!/usr/bin/env bash
# Which builds `make` gives the unattended consent: only UNATTENDED=1 on the command line, said
# in one line; another value stops make with one line; one from the environment is ignored,
# saying so; `make release` records the same in RELEASE.txt. Reads the lines `make -n` would run.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
status=0

# check NAME EXPECTED_STATUS EXPECTED_CONSENT EXPECTED_LINE -- COMMAND...
check() {
    local name=$1 want_status=$2 want_consent=$3 want_line=$4
    shift 5
    local out got_status consent
    out=$(cd "$root" && env -u UNATTENDED -u MAKEFLAGS -u MFLAGS -u MAKELEVEL "$@" 2>&1)
    got_status=$?
    consent=$(grep -o 'VARNOCK_UNATTENDED=[A-Z]*' <<<"$out" | head -n1)
    if [ $got_status -ne "$want_status" ] || [ "$consent" != "$want_consent" ] ||
        ! grep -q -- "$want_line" <<<"$out"; then
        echo "FAIL: $name: status $got_status, [$consent]"
        grep -v '^\s' <<<"$out" | head -n5
        status=1
    else
        echo "ok: $name"
    fi
}

check "UNATTENDED=1" 0 VARNOCK_UNATTENDED=ON 'UNATTENDED=1: Varnock.exe carries the consent' \
    -- make -n win64 UNATTENDED=1
check "left out" 0 VARNOCK_UNATTENDED=OFF 'cmake' -- make -n win64
check "UNATTENDED=no" 2 "" 'UNATTENDED=no: give UNATTENDED=1 .*, or leave the variable out' \
    -- make -n win64 UNATTENDED=no
check "UNATTENDED=0" 2 "" 'UNATTENDED=0: give UNATTENDED=1' -- make -n win64 UNATTENDED=0
check "from the environment" 0 VARNOCK_UNATTENDED=OFF 'UNATTENDED in the environment is ignored' \
    -- env UNATTENDED=1 make -n win64
check "release with UNATTENDED=1" 0 VARNOCK_UNATTENDED=ON 'scripts/release-info build/win64 ON' \
    -- make -n release UNATTENDED=1
check "release without" 0 VARNOCK_UNATTENDED=OFF 'scripts/release-info build/win64 OFF' \
    -- make -n release
exit $status
