#!/usr/bin/env bash
# fpack.exe extract names a failure with the very line of fpack extract ("extract again" of
# fpack-commands.sh). Usage: fpack-exe-extract.sh FPACK FPACK.EXE SCRATCH
set -u
fpack=$1
exe=$2
dir=$3
rm -rf "$dir" && mkdir -p "$dir/src/docs/sub"
printf 'read me\n' > "$dir/src/docs/readme.txt"
: > "$dir/src/docs/sub/zero.bin"
"$fpack" create "$dir/a.fpk" "$dir/src" || exit 1
"$fpack" extract "$dir/a.fpk" "$dir/host" && "$fpack" extract "$dir/a.fpk" "$dir/host" 2> "$dir/host.txt"
host=$?
wine "$exe" extract "Z:$dir/a.fpk" "Z:$dir/exe" && wine "$exe" extract "Z:$dir/a.fpk" "Z:$dir/exe" 2> "$dir/exe.txt"
exe_status=$?
if [ $host != 1 ] || [ $exe_status != 1 ] || ! tr -d '\r' < "$dir/exe.txt" | cmp -s - "$dir/host.txt"; then
    echo "FAIL: extract again: fpack $host, fpack.exe $exe_status"; cat "$dir/host.txt" "$dir/exe.txt"
    exit 1
fi
rm -rf "$dir"
echo "fpack.exe extract: the line of fpack extract"
