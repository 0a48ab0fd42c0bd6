# Shared by the GUI scenarios and the demo: the UI driver (driver/UiDriver.cpp) as a coprocess,
# checks that take a screenshot when they fail, and log reading. Source it after
# scripts/wine-env, with VARNOCK_BIN naming the folder of the Windows programs.

CAPTION='TOLVANE Windows Update 支援機能アップデート'
ABOUT_CAPTION='Varnockのﾊﾞｰｼﾞｮﾝ情報'

SHOT_DIR=${SHOT_DIR:-}
shot_count=0
failed=0

# Saves a screenshot of the whole display as $SHOT_DIR/NN-NAME.png (when there is a display).
shot() {
    [ -n "$SHOT_DIR" ] && [ -n "${DISPLAY:-}" ] || return 0
    mkdir -p "$SHOT_DIR"
    shot_count=$((shot_count + 1))
    import -window root "$(printf '%s/%02d-%s.png' "$SHOT_DIR" "$shot_count" "$1")" 2>/dev/null || true
}

driver_start() {
    coproc DRIVER { exec wine "$VARNOCK_BIN/uidriver.exe" 2>/dev/null; }
    DRIVER_IN=${DRIVER[1]}
    DRIVER_OUT=${DRIVER[0]}
}

driver_stop() {
    [ -n "${DRIVER_PID:-}" ] || return 0
    printf 'quit\n' >&"$DRIVER_IN" 2>/dev/null || true
    wait "$DRIVER_PID" 2>/dev/null || true
    DRIVER_PID=
}

# Called for each "progress" line of `watch` with STEP FILE LABEL; scripts may redefine it.
on_progress() { :; }

# drv COMMAND ARGS...: sends one command; on "ok" returns 0 with the answer's fields in R
# (R[0] the first), on "fail" returns 1 with the reason in R[0].
drv() {
    local IFS=$'\t'
    printf '%s\n' "$*" >&"$DRIVER_IN"
    local line
    while IFS= read -r -t 300 line <&"$DRIVER_OUT"; do
        line=${line%$'\r'}
        case $line in
        progress$'\t'*)
            split_fields "${line#progress$'\t'}"
            on_progress "${R[@]}"
            ;;
        ok)
            R=()
            return 0
            ;;
        ok$'\t'*)
            split_fields "${line#ok$'\t'}"
            return 0
            ;;
        fail*)
            R=("${line#fail$'\t'}")
            return 1
            ;;
        esac
    done
    R=("the driver did not answer")
    return 1
}

# Splits on tabs into R, keeping empty fields.
split_fields() {
    local rest=$1
    R=()
    while :; do
        R+=("${rest%%$'\t'*}")
        [[ $rest == *$'\t'* ]] || break
        rest=${rest#*$'\t'}
    done
}

fail() {
    echo "FAIL: $*" >&2
    failed=1
    shot failure
    exit 1
}

# must COMMAND ARGS...: a driver command that has to succeed.
must() {
    drv "$@" || fail "$1 ${2:-}: ${R[0]}"
}

expect_eq() {
    [ "$2" == "$3" ] || fail "$1: expected [$3], got [$2]"
    echo "ok: $1"
}

# The Unix path of a Windows path on drive C: of the prefix (no Wine process, which can fail
# while the one before it ends).
unix_of() { local rest=${1#C:\\}; printf '%s/drive_c/%s' "$WINEPREFIX" "${rest//\\//}"; }

# The log at Windows path $1 as UTF-8 text, CR LF kept.
read_log() {
    local file
    file=$(unix_of "$1")
    [ -f "$file" ] || return 1
    iconv -f CP932 -t UTF-8 "$file"
}
