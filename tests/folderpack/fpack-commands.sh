#!/usr/bin/env bash
# fpack's commands end to end: exit statuses, the one-line failures, listing and round trips.
# Usage: fpack-commands.sh FPACK SCRATCH
set -u
fpack=$1
dir=$2
rm -rf "$dir" && mkdir -p "$dir/src/docs/sub" "$dir/src/表" "$dir/src/empty"
for i in $(seq 100); do printf 'read me\n'; done > "$dir/src/docs/readme.txt"
: > "$dir/src/docs/sub/zero.bin"
printf 'ソ' > "$dir/src/表/ソ.txt"
head -c 300000 /dev/urandom > "$dir/src/noise.bin"
failures=0
check() { # description, expected status, command...
    local what=$1 want=$2
    shift 2
    "$@" > "$dir/out.txt" 2> "$dir/err.txt"
    local got=$?
    if [ "$got" != "$want" ]; then
        echo "FAIL: $what: status $got, expected $want"; cat "$dir/err.txt"; failures=$((failures + 1))
    fi
}
expect_line() { # description, file, pattern
    if ! grep -q -- "$3" "$2"; then
        echo "FAIL: $1: no line matching '$3' in:"; cat "$2"; failures=$((failures + 1))
    fi
}

check "create" 0 "$fpack" create "$dir/a.fpk" "$dir/src" --threads 2
check "no partial archive left" 1 test -e "$dir/a.fpk.partial"
# Too little address space for the packing threads: one line and status 1, not an abort.
check "create without room for its threads" 1 bash -c 'ulimit -v 20000 && exec "$0" create "$1" "$2" --threads 2' "$fpack" "$dir/nomem.fpk" "$dir/src"
expect_line "create without room for its threads" "$dir/err.txt" '^fpack: create: FP_ERR_NOMEM: '
check "no partial archive after running out" 1 test -e "$dir/nomem.fpk.partial"
check "list" 0 "$fpack" list "$dir/a.fpk"
expect_line "list shows a folder" "$dir/out.txt" '^FLDR  *-  [0-9-]* [0-9:]*  docs\\sub\\$'
expect_line "list shows a file" "$dir/out.txt" '^FILE  *800  [0-9-]* [0-9:]*  docs\\readme.txt$'
[ "$(wc -l < "$dir/out.txt")" = 8 ] || { echo "FAIL: list: not 8 lines"; failures=$((failures + 1)); }
check "test" 0 "$fpack" test "$dir/a.fpk"
check "extract" 0 "$fpack" extract "$dir/a.fpk" "$dir/x"
check "same tree" 0 diff -r "$dir/src" "$dir/x"
check "extract again" 1 "$fpack" extract "$dir/a.fpk" "$dir/x"
expect_line "existing file named" "$dir/err.txt" '^fpack: extract: FP_ERR_EXISTS at entry 1 "docs\\sub\\zero.bin"$'
check "extract --overwrite" 0 "$fpack" extract "$dir/a.fpk" "$dir/x" --overwrite
# UTF-8 folder names whose bytes would read as a cut double-byte character in code page 932.
check "extract into あ" 0 "$fpack" extract "$dir/a.fpk" "$dir/out_あ"
check "same tree in あ" 0 diff -r "$dir/src" "$dir/out_あ"
check "extract into a folder without a code page 932 form" 0 "$fpack" extract "$dir/a.fpk" "$dir/😀"

# A damaged copy: the chunk of noise.bin cut short in the middle.
head -c $(( $(stat -c %s "$dir/a.fpk") - 1000 )) "$dir/a.fpk" > "$dir/cut.fpk"
check "test of a cut archive" 1 "$fpack" test "$dir/cut.fpk"
expect_line "cut archive" "$dir/err.txt" '^fpack: test: FP_ERR_READ at entry 8 "noise.bin"$'
# A chunk of docs\readme.txt (entry 3) that does not inflate: named before anything after it.
cp "$dir/a.fpk" "$dir/bad-chunk.fpk"
offset=$(grep -boa 'docs\\readme.txt' "$dir/a.fpk" | head -1 | cut -d: -f1)
# Name, fields up to the size, chunk header, zlib header: the first deflate byte, made reserved.
printf '\377' | dd of="$dir/bad-chunk.fpk" bs=1 seek=$((offset + 16 + 30 + 12 + 2)) conv=notrunc 2>/dev/null
for threads in 1 3; do
    check "test --threads $threads of a bad chunk" 1 "$fpack" test "$dir/bad-chunk.fpk" --threads $threads
    expect_line "bad chunk, $threads threads" "$dir/err.txt" '^fpack: test: FP_ERR_WRITE at entry 3 "docs\\readme.txt": damaged stream$'
    rm -rf "$dir/y"
    check "extract --threads $threads of a bad chunk" 1 "$fpack" extract "$dir/bad-chunk.fpk" "$dir/y" --threads $threads
    expect_line "bad chunk extracted, $threads threads" "$dir/err.txt" '^fpack: extract: FP_ERR_WRITE at entry 3 "docs\\readme.txt": damaged stream$'
    check "nothing after the bad chunk" 1 test -e "$dir/y/noise.bin"
done
printf 'Folder Pack!\0\0\0\0\0\0\0\0' > "$dir/bad.fpk"
check "wrong magic" 1 "$fpack" list "$dir/bad.fpk"
expect_line "wrong magic" "$dir/err.txt" '^fpack: list: FP_ERR_FORMAT'
check "missing archive" 1 "$fpack" test "$dir/missing.fpk"
expect_line "missing archive" "$dir/err.txt" '^fpack: test: FP_ERR_OPEN'

# A name without a code page 932 form is refused, naming the file.
mkdir -p "$dir/bad" && : > "$dir/bad/yen¥.txt"
check "unconvertible name" 1 "$fpack" create "$dir/b.fpk" "$dir/bad"
expect_line "unconvertible name" "$dir/err.txt" 'FP_ERR_NAME.*yen¥.txt.*code page 932'
check "nothing written for it" 1 test -e "$dir/b.fpk"

# SOURCE_DATE_EPOCH: two copies of one tree, made at different times, pack to the same bytes,
# and no stored time is later than the epoch.
cp -r "$dir/src" "$dir/copy1" && sleep 1 && cp -r "$dir/src" "$dir/copy2"
check "create, epoch" 0 env SOURCE_DATE_EPOCH=1700000000 "$fpack" create "$dir/e1.fpk" "$dir/copy1"
check "create, epoch, later copy" 0 env SOURCE_DATE_EPOCH=1700000000 "$fpack" create "$dir/e2.fpk" "$dir/copy2"
check "copies pack alike" 0 cmp "$dir/e1.fpk" "$dir/e2.fpk"
check "list, epoch" 0 "$fpack" list "$dir/e1.fpk"
cp "$dir/out.txt" "$dir/list.txt"
check "no time after the epoch" 1 grep -v ' 2023-11-14 22:13:20  ' "$dir/list.txt"
check "malformed epoch" 2 env SOURCE_DATE_EPOCH=17e8 "$fpack" create "$dir/e3.fpk" "$dir/src"

check "usage" 2 "$fpack" create "$dir/a.fpk"
check "unknown option" 2 "$fpack" list "$dir/a.fpk" --level 3
check "help" 0 "$fpack" --help
rm -rf "$dir"
[ $failures = 0 ] && echo "fpack commands: all passed"
exit $failures
