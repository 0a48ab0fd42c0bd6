#!/usr/bin/env bash
# GUI scenarios: the real program on the test display (scripts/run-tests provides it), in the
# test prefix, driven through its windows the way a user would.
#
#   tests/gui/scenarios.sh SCENARIO
#
# Each scenario works in C:\varnock-gui\SCENARIO\ (server and client installation, temporary
# folder with the log), sets the TOLVANE registry values itself and keeps its screenshots in
# $VARNOCK_GUI_WORK/SCENARIO/shots. Exit status 0 passed, 1 failed, 77 no display.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/wine-env"
scenario=${1:?usage: scenarios.sh SCENARIO}
if [ -z "${DISPLAY:-}" ]; then
    echo "no display: run the GUI tests through scripts/run-tests"
    exit 77
fi
VARNOCK_BIN=${VARNOCK_BIN:-$VARNOCK_BUILD/win64/bin}
work=${VARNOCK_GUI_WORK:-$VARNOCK_BUILD/win64/tests/gui/work}/$scenario
SHOT_DIR=$work/shots
rm -rf "$work"
mkdir -p "$work"
source "$here/lib.sh"

# The scenario's installation, in Windows and Unix form.
root='C:\varnock-gui\'$scenario
unix_root=$WINEPREFIX/drive_c/varnock-gui/$scenario
server=$root'\TOLVANE\BaseSrv'
client=$root'\Client'
temp=$root'\temp'
product_tmp=$root'\TOLVANE\TMP'
release=$root'\release'
setup_record=$root'\setup-record.txt'

rm -rf "$unix_root"
mkdir -p "$unix_root"

# A small volume of the disk-full scenario, unmounted at the end.
small_volume=""
cleanup() {
    local status=$?
    if [ -n "$small_volume" ]; then
        rm -f "$WINEPREFIX/dosdevices/q:"
        umount -l "$small_volume" 2>/dev/null || true
    fi
    if [ -n "${DRIVER_PID:-}" ]; then
        drv kill >/dev/null 2>&1 || true
        driver_stop
    fi
    [ -z "$dpi_changed" ] || set_dpi 96
    if [ $status -ne 0 ] || [ $failed -ne 0 ]; then
        echo "screenshots: $SHOT_DIR"
    fi
}
trap cleanup EXIT

# set_dpi DPI: the display's scale for the programs started from now on. Wine reads LogPixels
# when its server starts, so the server restarts; the driver stops with it. Other Wine tests
# must not run meanwhile.
dpi_changed=""
set_dpi() {
    driver_stop
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -k
    wineserver -w
    # As scripts/run-tests starts them: persistent, and Wine's services and the desktop detached
    # from the test's output. The desktop is waited for, so that no later stop of the server
    # catches it starting (it would then stay and hold the test's files open).
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
    wine explorer /desktop=Default,"$VARNOCK_SCREEN" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 1 100); do
        xwininfo -root -children 2>/dev/null | grep -q '"Default - Wine desktop"' && break
        sleep 0.1
    done
    dpi_changed=$([ "$1" == 96 ] || echo yes)
}

driver_start

# install [SERVER_PATH [CLIENT_ROOT [feature]]]: registry values and folders of an installation.
install() {
    local server_path=${1:-$server} client_root=${2:-$client} feature=${3:-feature}
    must regset 'SOFTWARE\TOLVANE\BaseSrv' InstallPath "$server_path"
    must regset 'SOFTWARE\TOLVANE\InstRoot' InstallPath "$client_root"
    mkdir -p "$(unix_of "$server")/bin" "$(unix_of "$client")"
    [ "$feature" == feature ] && mkdir -p "$(unix_of "$client")/TV/CLI"
    printf 'TOLVANE WU support 2.3.1\r\n' >"$(unix_of "$server")/bin/VERSION.txt"
}

# launch EXE [NAME=VALUE...]: starts EXE (a Unix path, or a name in build/win64/bin) with the
# temporary folder $launch_temp and these variables; launch_hidden starts it where nobody can
# see or answer anything. With VARNOCK_GUI_LOCALE set (en_US.UTF-8: a server whose system code
# page is 1252), every program starts in that locale unless a scenario names its own.
launch_temp=$temp
launch() { launch_by launch "$@"; }
launch_hidden() { launch_by launch-hidden "$@"; }
launch_by() {
    local verb=$1 exe=$2
    [[ $exe == /* ]] || exe=$VARNOCK_BIN/$exe
    shift 2
    mkdir -p "$(unix_of "$launch_temp")"
    local locale=()
    [ -n "${VARNOCK_GUI_LOCALE:-}" ] && locale=("LANG=$VARNOCK_GUI_LOCALE" "LC_ALL=$VARNOCK_GUI_LOCALE")
    must "$verb" "Z:${exe//\//\\}" "TMP=$launch_temp" "TEMP=$launch_temp" \
        "VARNOCK_RELEASE=$release" "VARNOCK_SETUP_RECORD=$setup_record" "${locale[@]}" "$@"
}

# The confirmation question; leaves its window in Q.
question() {
    must window "$CAPTION" 15000 -1000
    Q=${R[0]}
    must box "$Q"
    expect_eq "question text" "${R[0]}" 'Windows Update 支援機能をアップデートします。\nよろしいですか？'
    expect_eq "question icon" "${R[1]}" question
    expect_eq "question buttons" "${R[2]}" '6=はい(&Y),7=いいえ(&N)'
    shot question
}

# Yes at the question, then the progress dialog; leaves its window in D.
answer_yes() {
    question
    must click "$Q" 6
    must window "$CAPTION" 15000 +1000
    D=${R[0]}
    must text "$D"
    expect_eq "dialog title" "${R[0]}" "$CAPTION"
}

# Waits until the slow setup program has started and written its record, named in $record.
wait_for_setup() {
    record=$(unix_of "$setup_record")
    for _ in $(seq 1 300); do
        [ -s "$record" ] && break
        sleep 0.05
    done
    [ -s "$record" ] || fail "the setup program did not start"
}

steps_seen=()
on_progress() { steps_seen+=("$1"); }

# Waits for the dialog's final message box; checks its text and icon, leaves it in B.
final_box() {
    local text=$1 icon=$2
    must watch "$D" 90000
    [ "${R[0]}" != gone ] || fail "the dialog closed without a message"
    B=${R[0]}
    must box "$B"
    shot final-message
    expect_eq "message text" "${R[0]}" "$text"
    expect_eq "message icon" "${R[1]}" "$icon"
    expect_eq "message buttons" "${R[2]}" '1=OK'
}

# Dismisses the final message and checks the exit status.
finish() {
    local code=$1
    must click "$B" 1
    must exit 15000
    expect_eq "exit status" "${R[0]}" "$code"
}

# expect_exit STATUS [TIMEOUT_MS]: the launched process ends by itself with STATUS.
expect_exit() {
    must exit "${2:-15000}"
    expect_eq "exit status" "${R[0]}" "$1"
}

header='^\[[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\] '
banner='====================【開始】===================='

# log_lines [TEMP_FOLDER]: the log as an array LOG of lines (CR removed), checked for CR LF.
log_lines() {
    local text
    text=$(read_log "${1:-$temp}"'\Varnock_Log.txt') || fail "no log in ${1:-$temp}"
    LOG=()
    local line
    while IFS= read -r line; do
        [[ $line == *$'\r' ]] || fail "log line without CR LF: $line"
        LOG+=("${line%$'\r'}")
    done <<<"$text"
}

# expect_log N "SOURCE LINE" MESSAGE: line N (from 0) names SOURCE and its fixed line number
# and carries MESSAGE.
expect_log() {
    local line=${LOG[$1]:-}
    [[ $line =~ ${header}$2\ [0-9a-f]+\ :\ (.*)$ ]] ||
        fail "log line $1 is not from $2: [$line]"
    expect_eq "log line $1 ($2)" "${BASH_REMATCH[1]}" "$3"
}

# A failure scenario: the exact text with the exclamation icon, the log line, the exit status
# (the code itself unless a fourth argument names another).
expect_failure() {
    local code=$1 detail=$2 text=$3 status=${4:-$1}
    final_box "$text" exclamation
    finish "$status"
    log_lines
    local last=$((${#LOG[@]} - 1))
    expect_log "$last" 'VarnockDlg.cpp 197' "スレッド終了 wParam = $code , lParam = $detail ."
    expect_log 0 'Varnock.cpp 53' "$banner"
}

# whole_update EXE: the whole update with the demo payload (or one like it), checked end to end.
whole_update() {
    install
    printf '[Agent]\r\nPollMinutes=120\r\nVersion=2.3.1\r\n' >"$(unix_of "$client")/TV/CLI/wuclient.ini"
    launch "$1"
    answer_yes
    shot dialog
    final_box 'ソフトウェアのアップデートが正常に終了しました。' information
    must bar "$D" 1000
    expect_eq "step bar" "${R[*]}" "6 0 6"
    must bar "$D" 1001
    expect_eq "file bar" "${R[*]}" "1000 0 1000"
    # The texts as drawn: the wait text (the second static numbered -1) and the final label.
    local what
    for what in "wait text:-1:1" "file label:1002:0"; do
        IFS=: read -r name id nth <<<"$what"
        must fit "$D" 102 "$id" "$nth"
        echo "   $name: drawn ${R[0]} pixels wide, control ${R[1]} pixels (${R[2]})"
        [ "${R[0]}" -le "${R[1]}" ] || fail "the $name does not fit its control"
    done
    must text "$D" 1002
    local label=${R[0]}
    [[ $label =~ ^ファイル展開中：\ ([0-9]+)\ ファイル中\ ([0-9]+)\ ファイルを処理完了$ ]] &&
        [ "${BASH_REMATCH[1]}" == "${BASH_REMATCH[2]}" ] || fail "file label: [$label]"
    echo "ok: file label [$label]"
    previous=0
    for step in "${steps_seen[@]}"; do
        [ "$step" -ge 0 ] || continue # not readable at that moment
        [ "$step" -ge "$previous" ] || fail "the step bar went back: ${steps_seen[*]}"
        previous=$step
    done
    finish 0
    expect_installed
    log_lines
    expect_eq "log lines" "${#LOG[@]}" 6
    expect_log 0 'Varnock.cpp 53' "$banner"
    expect_update_log 1
}

# What the demo's setup program installed, and the work folder gone.
expect_installed() {
    grep -q '^copied [1-9]' "$(unix_of "$server")/UpdateRecord.txt" ||
        fail "the setup program left no record"
    expect_eq "server version" "$(tr -d '\r' <"$(unix_of "$server")/bin/VERSION.txt")" 'TOLVANE WU support 2.4.0'
    grep -q 'Version=2.4.0' "$(unix_of "$client")/TV/CLI/wuclient.ini" ||
        fail "the client feature was not updated"
    [ -d "$(unix_of "$product_tmp")" ] || fail "TMP is gone"
    [ ! -e "$(unix_of "$product_tmp")/WUTMP" ] || fail "the work folder is still there"
}

# expect_update_log N: from log line N on, the worker's four lines and the successful end.
expect_update_log() {
    expect_log "$1" 'General.cpp 147' "TOLVANEフォルダ $root\\TOLVANE\\ ."
    expect_log $(($1 + 1)) 'General.cpp 155' "TOLVANEテンポラリフォルダ $product_tmp\\ ."
    expect_log $(($1 + 2)) 'General.cpp 162' "TMP@WUフォルダ $product_tmp\\WUTMP\\ ."
    expect_log $(($1 + 3)) 'General.cpp 194' "圧縮ファイルパス $product_tmp\\WUTMP\\WU.TPK ."
    expect_log $(($1 + 4)) 'VarnockDlg.cpp 197' 'スレッド終了 wParam = 0 , lParam = 0 .'
}

# update_with_setup_exiting CODE: Yes to an update whose setup program exits with CODE.
update_with_setup_exiting() {
    install
    launch VarnockSlow.exe VARNOCK_SETUP_EXIT="$1"
    answer_yes
    touch "$(unix_of "$release")"
}

case $scenario in
no)
    # No at the question; the temporary folder's name ends in double-byte characters whose
    # trail byte is 0x5C (ソ 83 5C, 表 95 5C).
    install
    launch_temp=$root'\ソ表'
    launch Varnock.exe
    question
    must click "$Q" 7
    expect_exit 1223
    log_lines "$root"'\ソ表'
    expect_eq "log lines" "${#LOG[@]}" 1
    expect_log 0 'Varnock.cpp 53' "$banner"
    [ ! -e "$(unix_of "$product_tmp")" ] || fail "the work folder was created"
    ;;
enter-no)
    # Enter at the question answers No, the default button; an earlier log is kept.
    install
    mkdir -p "$(unix_of "$temp")"
    printf '[2005/03/01 09:05:07] Varnock.cpp 53 1a4 : earlier run\r\n' >"$(unix_of "$temp")/Varnock_Log.txt"
    launch Varnock.exe
    question
    must key "$Q" enter
    expect_exit 1223
    log_lines
    expect_eq "log lines" "${#LOG[@]}" 2
    expect_eq "earlier line kept" "${LOG[0]}" '[2005/03/01 09:05:07] Varnock.cpp 53 1a4 : earlier run'
    expect_log 1 'Varnock.cpp 53' "$banner"
    ;;
yes)
    whole_update Varnock.exe
    ;;
odd-leftover)
    # A work folder an earlier setup program left, with names that have no code page 932 form
    # and a chain of folders past 259 bytes: it is removed, and this run and the next update.
    leftover=$(unix_of "$product_tmp")/WUTMP
    chain=$leftover/x$(printf '/%060d' 1 2 3 4 5)
    mkdir -p "$leftover/sub" "$chain"
    touch "$leftover/한국어.txt" "$leftover/sub/emoji-😀.txt" "$chain/deep.txt"
    for run in first next; do
        echo "-- the $run run"
        rm -f "$(unix_of "$temp")/Varnock_Log.txt"
        steps_seen=()
        whole_update Varnock.exe
    done
    ;;
signed)
    # Signed with a throw-away certificate (PEM, then PKCS#12 with its password): it verifies,
    # fpack embed refuses it, and it updates like the unsigned program.
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Varnock test signer' \
        -addext keyUsage=digitalSignature -addext extendedKeyUsage=codeSigning \
        -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null || fail "no certificate"
    openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.p12" \
        -passout pass:test-secret || fail "no PKCS#12 file"
    cp "$VARNOCK_BIN/Varnock.exe" "$work/Varnock.exe"
    cp "$VARNOCK_BIN/Varnock.exe" "$work/VarnockP12.exe"
    cp "$VARNOCK_BIN/Varnock.exe" "$work/VarnockBad.exe"
    "$VARNOCK_ROOT/scripts/sign-exe" "$work/Varnock.exe" "$work/cert.pem" "$work/key.pem" ||
        fail "signing with PEM files failed"
    SIGN_PASS=test-secret "$VARNOCK_ROOT/scripts/sign-exe" "$work/VarnockP12.exe" "$work/cert.p12" ||
        fail "signing with a PKCS#12 file failed"
    for exe in Varnock VarnockP12; do
        osslsigncode verify -CAfile "$work/cert.pem" -in "$work/$exe.exe" >"$work/verify.txt" 2>&1 ||
            { cat "$work/verify.txt"; fail "$exe.exe does not verify"; }
        grep -q 'Message digest algorithm *: SHA256' "$work/verify.txt" || fail "$exe.exe: not SHA-256"
    done
    echo "ok: signed and verified: $(grep -m1 'Signer.s certificate' -A1 "$work/verify.txt" | tail -n1)"
    SIGN_PASS=wrong "$VARNOCK_ROOT/scripts/sign-exe" "$work/VarnockBad.exe" "$work/cert.p12" \
        2>"$work/err.txt" && fail "a wrong password signed"
    expect_eq "one line for a failed signing" "$(wc -l <"$work/err.txt")" 1
    [ ! -e "$work/VarnockBad.exe" ] || fail "the unsigned program was left after a failed signing"
    wine "$VARNOCK_BIN/fpack.exe" embed "Z:$work/Varnock.exe" "Z:$VARNOCK_BIN/../demo/payload" \
        "Z:$work/out.exe" 2>"$work/err.txt" >/dev/null && fail "fpack embed took a signed stub"
    grep -q 'sign after embedding' "$work/err.txt" || fail "embed: $(cat "$work/err.txt")"
    whole_update "$work/Varnock.exe"
    ;;
embedded)
    # A new payload (the demo's and one more file) put into the built program by fpack.exe, with
    # another version: the result runs and installs the new file.
    cp -r "$VARNOCK_BIN/../demo/payload" "$work/payload"
    printf 'added by fpack embed\r\n' >"$work/payload/server/bin/EMBEDDED.txt"
    wine "$VARNOCK_BIN/fpack.exe" embed "Z:$VARNOCK_BIN/Varnock.exe" "Z:$work/payload" \
        "Z:$work/Embedded.exe" --version 2.4.0.17 || fail "fpack embed failed"
    # The version strings are UTF-16: without their NUL bytes they read as ASCII.
    LC_ALL=C tr -d '\000' <"$work/Embedded.exe" >"$work/Embedded.txt"
    for key in FileVersion ProductVersion; do
        LC_ALL=C grep -q "${key}2\.4\.0\.17" "$work/Embedded.txt" || fail "$key was not restamped"
    done
    whole_update "$work/Embedded.exe"
    expect_eq "the new file installed" "$(tr -d '\r' <"$(unix_of "$server")/bin/EMBEDDED.txt")" \
        'added by fpack embed'
    ;;
hidden)
    # Where nobody can answer, the ordinary build asks nothing and ends as after a No.
    install
    launch_hidden Varnock.exe
    expect_exit 1223
    log_lines
    expect_eq "log lines" "${#LOG[@]}" 2
    expect_log 0 'Varnock.cpp 53' "$banner"
    expect_log 1 'Varnock.cpp 54' '応答できる利用者がいないため、アップデートを行いませんでした。'
    [ ! -e "$(unix_of "$product_tmp")" ] || fail "the work folder was created"
    [ ! -e "$(unix_of "$server")/UpdateRecord.txt" ] || fail "the setup program ran"
    ;;
unattended)
    # The shipped stub made an unattended build by fpack.exe: where nobody can answer it updates
    # without showing anything; on the visible desktop it still asks. Its consent never passes
    # on to a build made from it without --unattended.
    wine "$VARNOCK_BIN/fpack.exe" embed "Z:$VARNOCK_BIN/Varnock-stub-unsigned.exe" \
        "Z:$VARNOCK_BIN/../demo/payload" "Z:$work/Unattended.exe" --unattended >/dev/null ||
        fail "fpack embed --unattended failed"
    wine "$VARNOCK_BIN/fpack.exe" embed "Z:$work/Unattended.exe" "Z:$VARNOCK_BIN/../demo/payload" \
        "Z:$work/Ordinary.exe" >/dev/null || fail "fpack embed failed"
    install
    printf '[Agent]\r\nVersion=2.3.1\r\n' >"$(unix_of "$client")/TV/CLI/wuclient.ini"
    launch_hidden "$work/Unattended.exe"
    expect_exit 0 60000
    expect_installed
    log_lines
    expect_eq "log lines" "${#LOG[@]}" 7
    expect_log 0 'Varnock.cpp 53' "$banner"
    expect_log 1 'Varnock.cpp 55' '無人実行のため、確認なしでアップデートします。'
    expect_update_log 2

    launch "$work/Unattended.exe"
    question
    must click "$Q" 7
    expect_exit 1223

    launch_hidden "$work/Ordinary.exe"
    expect_exit 1223
    log_lines
    expect_log $((${#LOG[@]} - 1)) 'Varnock.cpp 54' '応答できる利用者がいないため、アップデートを行いませんでした。'
    ;;
restart)
    # A setup program that asks for a restart: a success, and its code is the exit status.
    update_with_setup_exiting 3010
    final_box 'ソフトウェアのアップデートが正常に終了しました。' information
    finish 3010
    log_lines
    expect_log $((${#LOG[@]} - 1)) 'VarnockDlg.cpp 197' 'スレッド終了 wParam = 0 , lParam = 0 .'
    ;;
crash)
    # A setup program that dies of an access violation, or of an unhandled .NET exception, is no
    # success; the work folder stays.
    update_with_setup_exiting 0xC0000005
    expect_failure 9 -1073741819 'サブプログラムが異常終了しました。'
    [ -e "$(unix_of "$product_tmp")/WUTMP/Brennick.exe" ] || fail "the work folder was removed"
    update_with_setup_exiting 0xE0434352
    expect_failure 9 -532462766 'サブプログラムが異常終了しました。'
    ;;
not-server)
    install
    must regdel 'SOFTWARE\TOLVANE\BaseSrv'
    launch Varnock.exe
    answer_yes
    expect_failure 2 0 'TOLVANE Proのサーバ上で動作させてください。'
    ;;
internal)
    # A server path without any backslash.
    install BaseSrv
    launch Varnock.exe
    answer_yes
    expect_failure 3 0 '致命的な内部異常が発生しました。'
    ;;
no-feature)
    install "$server" "$client" no-feature
    launch Varnock.exe
    answer_yes
    expect_failure 7 0 'WindowsUpdate支援機能が検出されませんでした。'
    [ ! -e "$(unix_of "$product_tmp")/WUTMP/WU.TPK" ] || fail "the archive was written"
    ;;
bad-archive)
    # An archive whose second entry has an unknown tag: refused before it is written, with
    # ERROR_INVALID_DATA in the log.
    install
    launch VarnockBadArchive.exe
    answer_yes
    expect_failure 4 13 'ファイルの展開に失敗しました。'
    [ ! -e "$(unix_of "$product_tmp")/WUTMP/WU.TPK" ] || fail "the archive file was written"
    ;;
tampered)
    # One byte flipped inside a stored chunk of the built program's payload: refused before
    # anything is written, and no setup program runs.
    install
    tampered=$work/VarnockTampered.exe
    cp "$VARNOCK_BIN/VarnockSlow.exe" "$tampered"
    # The first stored chunk of "docs 1" data: its text follows the chunk's two lengths.
    perl -0777 -i -pe 's/(FPCK.{8}docs )1/${1}7/s or die "no stored chunk\n"' "$tampered" ||
        fail "could not tamper with the payload"
    launch "$tampered"
    answer_yes
    expect_failure 4 13 'ファイルの展開に失敗しました。'
    [ ! -e "$(unix_of "$product_tmp")/WUTMP/WU.TPK" ] || fail "the archive file was written"
    [ ! -e "$(unix_of "$setup_record")" ] || fail "the setup program ran"
    ;;
no-setup)
    # A payload without either setup program: error 2 (file not found) reaches the log.
    install
    launch VarnockNoSetup.exe
    answer_yes
    expect_failure 6 2 'サブプログラムの起動に失敗しました。'
    ;;
unknown-code)
    # A completion code outside the table shows the internal-error text.
    install
    launch VarnockScripted.exe VARNOCK_SCRIPT=10,0
    answer_yes
    final_box '致命的な内部異常が発生しました。' exclamation
    finish 3
    log_lines
    expect_log 1 'VarnockDlg.cpp 197' 'スレッド終了 wParam = 10 , lParam = 0 .'
    ;;
running)
    # While the setup program runs, nothing the user does closes the dialog; the About box
    # opens from the system menu and the update goes on behind it.
    install
    launch VarnockSlow.exe
    answer_yes
    wait_for_setup
    expect_eq "setup command line" "$(sed -n 's/^command line: //p' "$record" | tr -d '\r')" \
        "\"$product_tmp\\WUTMP\\Brennick.exe\""
    must bar "$D" 1000
    expect_eq "step bar while the setup runs" "${R[0]}" 4
    shot running

    for action in "key enter" "key escape" "post 0x10 0 0" "key alt+f4" "post 0x112 0xF060 0"; do
        read -r verb arg rest <<<"$action"
        # shellcheck disable=SC2086
        must $verb "$D" $arg $rest
        [ $verb == key ] && echo "   ($action typed as ${R[0]})"
        sleep 0.3
        must window "$CAPTION" 2000 +1000
        expect_eq "dialog open after $action" "${R[0]}" "$D"
        ! drv window "$CAPTION" 200 -1000 || fail "a message box appeared after $action"
    done

    # The About item is the system menu's last; Escape closes the About box (so the keys
    # above did reach the dialogs), and it opens again.
    for attempt in first second; do
        must key "$D" alt+space
        sleep 0.3
        [ $attempt == first ] && shot system-menu
        must key "$D" up
        must key "$D" enter
        must window "$ABOUT_CAPTION" 5000
        A=${R[0]}
        if [ $attempt == first ]; then
            shot about
            must text "$A" 1
            expect_eq "About button" "${R[0]}" OK
            must key "$A" escape
            must gone "$A" 3000
            echo "ok: Escape closes the About box"
        fi
    done

    # Let the setup program end: the worker finishes behind the About box.
    touch "$(unix_of "$release")"
    final_box 'ソフトウェアのアップデートが正常に終了しました。' information
    last_step=-1
    for step in "${steps_seen[@]}"; do
        [ "$step" -ge 0 ] && last_step=$step # -1: not readable at that moment
    done
    expect_eq "steps while the About box was open" "$last_step" 6
    must click "$B" 1
    must gone "$B" 5000
    must window "$ABOUT_CAPTION" 2000
    expect_eq "About box still open" "${R[0]}" "$A"
    must click "$A" 1
    expect_exit 0
    [ ! -e "$(unix_of "$product_tmp")/WUTMP" ] || fail "the work folder is still there"
    ;;
busy)
    # A second copy started while the first one's setup program runs is refused at once; the
    # first then installs its own payload, whole and unmixed.
    install
    launch VarnockSlow.exe
    first=${R[0]}
    answer_yes
    first_dialog=$D
    wait_for_setup
    launch Varnock.exe
    answer_yes
    expect_failure 8 0 '別のアップデートが実行中です。終了してから再度実行してください。' 1618
    expected=$(printf '%s\n' Brennick.exe WU.TPK bin docs; for i in $(seq 1 12); do
        printf 'bin/file%s.txt\ndocs/file%s.txt\n' "$i" "$i"; done)
    expect_eq "work folder while the first setup runs" \
        "$(cd "$(unix_of "$product_tmp")/WUTMP" && find . -mindepth 1 -printf '%P\n' | sort)" \
        "$(sort <<<"$expected")"
    expect_eq "a file of the first payload" "$(cat "$(unix_of "$product_tmp")/WUTMP/docs/file1.txt")" \
        $'docs 1\r'
    must use "$first"
    D=$first_dialog
    touch "$(unix_of "$release")"
    final_box 'ソフトウェアのアップデートが正常に終了しました。' information
    finish 0
    [ ! -e "$(unix_of "$product_tmp")/WUTMP" ] || fail "the work folder is still there"
    ;;
disk-full)
    # A payload larger than the free space of the product's volume (a 512 KiB drive Q:): refused
    # before anything is written. Needs root for the mount.
    small_volume=$work/volume
    mkdir -p "$small_volume"
    if [ "$(id -u)" != 0 ] || ! mount -t tmpfs -o size=512k tmpfs "$small_volume" 2>/dev/null; then
        small_volume=""
        echo "skipped: cannot mount a small volume"
        exit 77
    fi
    ln -sfn "$small_volume" "$WINEPREFIX/dosdevices/q:"
    mkdir -p "$small_volume/TOLVANE/BaseSrv"
    install 'Q:\TOLVANE\BaseSrv'
    launch Varnock.exe
    answer_yes
    expect_failure 4 112 'ファイルの展開に失敗しました。'
    [ -d "$small_volume/TOLVANE/TMP/WUTMP" ] || fail "no work folder on the small volume"
    expect_eq "what the work folder holds" "$(ls -A "$small_volume/TOLVANE/TMP/WUTMP")" ""
    ;;
made-unattended)
    # The unattended program as `make PAYLOAD=... UNATTENDED=1` builds it: its consent is the
    # exact bytes, it installs where nobody can answer, and a failure is its code.
    consent=$VARNOCK_BIN/../tests/gui/VarnockUnattended.payload/consent.bin
    expect_eq "consent bytes" "$(od -An -c "$consent" | tr -s ' ')" ' U N A T T E N D E D'
    install
    printf '[Agent]\r\nVersion=2.3.1\r\n' >"$(unix_of "$client")/TV/CLI/wuclient.ini"
    launch_hidden VarnockUnattended.exe
    expect_exit 0 60000
    expect_installed
    log_lines
    expect_log 1 'Varnock.cpp 55' '無人実行のため、確認なしでアップデートします。'
    expect_update_log 2
    install "$server" "$client" no-feature
    rm -rf "$(unix_of "$client")/TV"
    launch_hidden VarnockUnattended.exe
    expect_exit 7 60000
    ;;
locale)
    # A server whose system locale is English (code page 1252) and whose InstallPath has a doubled
    # separator: the program still asks in Japanese, installs the names whose second byte is 0x5C
    # under their own names, and logs the path as Windows reads it.
    install "$root"'\TOLVANE\\BaseSrv'
    printf '[Agent]\r\nVersion=2.3.1\r\n' >"$(unix_of "$client")/TV/CLI/wuclient.ini"
    launch Varnock.exe LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
    answer_yes
    final_box 'ソフトウェアのアップデートが正常に終了しました。' information
    finish 0
    expect_installed
    for file in "$(unix_of "$server")/データ表/更新一覧表.csv" "$(unix_of "$client")/TV/CLI/ソフト/説明.txt"; do
        [ -f "$file" ] || fail "not installed: $file"
    done
    echo "ok: names with trail bytes 0x5C installed"
    log_lines
    expect_log 0 'Varnock.cpp 53' "$banner"
    expect_update_log 1
    ;;
code-page)
    # Where Windows ignores the manifest's code page (systems before Server 2022), a process in
    # code page 1252 refuses at once, in Japanese and English, and updates nothing; where nobody
    # can answer, it only logs.
    install
    legacy=$work/VarnockLegacy.exe
    cp "$VARNOCK_BIN/Varnock.exe" "$legacy"
    perl -0777 -i -pe 's/(<activeCodePage [^>]*>)ja-JP</${1}en-US</ or die' "$legacy" ||
        fail "no code page in the manifest"
    launch "$legacy" LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
    must window "$CAPTION" 15000 -1000
    B=${R[0]}
    must box "$B"
    shot refusal
    [[ ${R[0]} == *'コードページ 932（日本語）'*'1252'*'This update runs only with code page 932'*'1252'* ]] ||
        fail "refusal text: [${R[0]}]"
    expect_eq "refusal icon" "${R[1]}" exclamation
    finish 10
    launch_hidden "$legacy" LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
    expect_exit 10
    log_lines
    expect_eq "log lines" "${#LOG[@]}" 4
    for line in 1 3; do
        expect_log $line 'Varnock.cpp 56' 'コードページ 1252 では動作できないため、アップデートを行いませんでした。'
    done
    [ ! -e "$(unix_of "$product_tmp")" ] || fail "the work folder was created"
    ;;
scale)
    # The dialog at 96 and 144 DPI: the banner grows with it and fills the same share of its
    # width, the texts fit, both bars carry their names. The screenshots of both scales (the
    # dialog, the About box, the final message) stay in the shots folder.
    install
    declare -A banner width
    for dpi in 96 144; do
        set_dpi $dpi
        driver_start
        rm -f "$(unix_of "$release")" "$(unix_of "$setup_record")"
        launch VarnockSlow.exe
        answer_yes
        wait_for_setup
        shot "dialog-$dpi-dpi"
        must bitmap 129
        bitmap_size="${R[0]}x${R[1]}"
        must rect "$D" -1
        banner[$dpi]="${R[2]}x${R[3]}"
        width[$dpi]=${R[4]}
        echo "   $dpi DPI: banner at ${R[0]},${R[1]} ${banner[$dpi]} (bitmap $bitmap_size) in a client area ${R[4]}x${R[5]}"
        for what in "wait text:-1:1" "file label:1002:0"; do
            IFS=: read -r name id nth <<<"$what"
            must fit "$D" 102 "$id" "$nth"
            [ "${R[0]}" -le "${R[1]}" ] || fail "$dpi DPI: the $name is cut (${R[0]} > ${R[1]} pixels)"
        done
        for bar in "1000:全体の進行状況" "1001:ファイルの展開状況"; do
            must name "$D" "${bar%%:*}"
            expect_eq "$dpi DPI: name of bar ${bar%%:*} (read through ${R[1]})" "${R[0]}" "${bar#*:}"
        done
        must post "$D" 0x112 0x10 0
        must window "$ABOUT_CAPTION" 5000
        A=${R[0]}
        shot "about-$dpi-dpi"
        must fit "$A" 100 65535 1 # a DIALOG template keeps -1 as a WORD
        [ "${R[0]}" -le "${R[1]}" ] || fail "$dpi DPI: the About box's version line is cut"
        must click "$A" 1
        must gone "$A" 3000
        touch "$(unix_of "$release")"
        final_box 'ソフトウェアのアップデートが正常に終了しました。' information
        finish 0
    done
    expect_eq "banner at 96 DPI" "${banner[96]}" "$bitmap_size"
    IFS=x read -r bw bh <<<"$bitmap_size"
    IFS=x read -r w96 h96 <<<"${banner[96]}"
    IFS=x read -r w144 h144 <<<"${banner[144]}"
    # At 144 DPI the same share of the dialog's width and the bitmap's shape, to a pixel.
    share=$((w96 * width[144] - w144 * width[96]))
    shape=$((h144 * bw - bh * w144))
    [ "${share#-}" -le "${width[96]}" ] && [ "${shape#-}" -le "$bw" ] ||
        fail "the banner is ${banner[144]} in ${width[144]} pixels at 144 DPI, ${banner[96]} in ${width[96]} at 96"
    echo "ok: the banner fills the same share of the dialog's width"
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
echo "passed: $scenario"
