#!/usr/bin/env bash
# fpack.exe extract names a failure with the very line of fpack extract ("extract again" of
# fpack-commands.sh), refuses a target that is a link as it does, and measures names against a
# relative destination as typed, as it does. Usage: fpack-exe-extract.sh FPACK FPACK.EXE SCRATCH
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

# Both extract into the same state and fail with the same line, whichever the line: same() takes
# each one's exit status and the status both must have.
same() {
    if [ "$1" != "$3" ] || [ "$2" != "$3" ] || ! tr -d '\r' < "$dir/exe.txt" | cmp -s - "$dir/host.txt"; then
        echo "FAIL: $4: fpack $1, fpack.exe $2"; cat "$dir/host.txt" "$dir/exe.txt"
        exit 1
    fi
}

# A target that is a link is refused by both, with --overwrite too, and stays a link.
mkdir -p "$dir/elsewhere"
for side in host exe; do
    rm -rf "${dir:?}/$side" && mkdir -p "$dir/$side/docs"
    ln -s "$dir/elsewhere" "$dir/$side/docs/readme.txt"
done
"$fpack" extract "$dir/a.fpk" "$dir/host" --overwrite 2> "$dir/host.txt"
host=$?
wine "$exe" extract "Z:$dir/a.fpk" "Z:$dir/exe" --overwrite 2> "$dir/exe.txt"
same $host $? 1 "target that is a link"
if [ ! -L "$dir/host/docs/readme.txt" ] || [ ! -L "$dir/exe/docs/readme.txt" ] || [ -n "$(ls -A "$dir/elsewhere")" ]; then
    echo "FAIL: a link that was a target was replaced or written through"; exit 1
fi
for side in host exe; do rm "$dir/$side/docs/readme.txt"; done

# A relative destination: the names' limits count the folder as typed. out\ and a folder of 251
# bytes make a leading part of 255 bytes, which fits; of 252, which does not.
for length in 251 252; do
    rm -rf "$dir/src" "$dir/host" "$dir/exe" && mkdir -p "$dir/host" "$dir/exe"
    name=$(printf "%${length}s" | tr ' ' n)
    mkdir -p "$dir/src/$name" && printf 'x' > "$dir/src/$name/f.txt"
    "$fpack" create "$dir/b.fpk" "$dir/src" || exit 1
    (cd "$dir/host" && "$fpack" extract ../b.fpk out 2> "$dir/host.txt")
    host=$?
    (cd "$dir/exe" && wine "$exe" extract '..\b.fpk' out 2> "$dir/exe.txt")
    exe_status=$?
    expected=$((length == 251 ? 0 : 1))
    same $host $exe_status $expected "relative destination, folder of $length bytes"
    if [ $expected = 0 ] && ! cmp -s "$dir/host/out/$name/f.txt" "$dir/exe/out/$name/f.txt"; then
        echo "FAIL: relative destination, folder of $length bytes: the trees differ"; exit 1
    fi
done
rm -rf "$dir"
echo "fpack.exe extract: the line of fpack extract, also for a link and a relative destination"
