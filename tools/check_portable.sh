#!/usr/bin/env bash
# The portable archive on a Linux without Qt: writes it, unpacks it and runs it in a bwrap
# sandbox that hides every system Qt library, plugin and data folder. There every ELF file
# of the folder resolves its libraries inside the folder or to the desktop's base, and the
# two shells start against the local portal server and save their screenshots, while strace
# sees no file opened from a system Qt path.
#   check_portable.sh BUILD_DIR [SCREENSHOT_DIR]
set -uo pipefail
build=$(realpath "${1:?usage: check_portable.sh BUILD_DIR [SCREENSHOT_DIR]}")
shots=$(realpath -m "${2:-$build/package}")
here=$(dirname "$(realpath "$0")")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
for tool in bwrap patchelf strace Xvfb; do
    command -v $tool >/dev/null || { echo "FAIL: $tool is not installed (tools/setup.sh)"; exit 1; }
done

work=$(mktemp -d)
sim_pid="" xvfb_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

archive=$(bash "$here/make_portable.sh" "$build" "$build/package" | tail -n1) || { echo "FAIL: make_portable.sh"; exit 1; }
echo "archive: $archive ($(du -h "$archive" | cut -f1))"
tar -C "$work" -xzf "$archive"
folder=$(echo "$work"/Pallomar-*-linux-x86_64)
du -sh "$folder"/lib/libQt6WebEngineCore.so.6 "$folder/lib" "$folder/resources" "$folder/translations" "$folder/plugins" \
    2>/dev/null | sed 's/^/unpacked: /'

# The sandbox: the whole system, less every Qt library and Qt folder.
hide=(--tmpfs /usr/lib/x86_64-linux-gnu/qt6 --tmpfs /usr/lib/qt6 --tmpfs /usr/share/qt6)
while read -r lib; do hide+=(--ro-bind /dev/null "$lib"); done \
    < <(find /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu -maxdepth 1 -type f \( -name 'libQt6*' -o -name 'libqt6*' \) 2>/dev/null | sort -u)
sandbox() { bwrap --dev-bind / / "${hide[@]}" --setenv QT_QPA_PLATFORM xcb "$@"; }

# Every ELF file's libraries: inside the folder, or the base the archive names.
base="$folder/lib/system-libraries.txt"
while read -r elf; do
    while read -r line; do
        case $line in
            *"not found"*) fail "$(basename "$elf"): $line" ;;
            *"=> $folder/"*) ;;
            *"=> /"*)
                lib=$(awk '{ print $3 }' <<<"$line")
                grep -qx "$(basename "$lib")" "$base" || fail "$(basename "$elf") takes $lib from the system"
                ;;
        esac
    done < <(sandbox ldd "$elf" 2>&1)
done < <(find "$folder" -type f -exec sh -c 'head -c4 "$1" | grep -q ELF' _ {} \; -print)

# shellcheck source=tools/lib/sim_and_display.sh
source "$(dirname "$0")/lib/sim_and_display.sh"
start_sim_and_display "$build"

mkdir -p "$shots"
qt_paths='(/usr/lib/x86_64-linux-gnu/(qt6/|libQt6|libqt6)|/usr/lib/qt6/|/usr/share/qt6/|/lib/x86_64-linux-gnu/(libQt6|libqt6))'
for program in Pallomar TovanTV; do
    upper=$(tr '[:lower:]' '[:upper:]' <<<"$program")
    shot="$shots/portable-${program,,}.png"
    rm -f "$shot"
    timeout 120 strace -f -qq -z -e trace=open,openat,execve -o "$work/$program.strace" \
        env -i PATH=/usr/bin:/bin HOME="$work" DISPLAY="$display" LANG=C.UTF-8 \
        PORTAL_PRIMARY_SERVER=$host FILM_MIRROR_SERVER=$host PORTAL_BACKUP_SERVER=$host \
        FILM_BACKUP_SERVER=$host TV_SITE_SERVER=$host QTWEBENGINE_DISABLE_SANDBOX=1 \
        QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu "${upper}_SCREENSHOT=$shot" \
        bwrap --dev-bind / / "${hide[@]}" --setenv QT_QPA_PLATFORM xcb "$folder/$program" >"$work/$program.log" 2>&1
    grep -q "screenshot saved to" "$work/$program.log" && [ -s "$shot" ] \
        || { tail -n 20 "$work/$program.log"; fail "$program saved no screenshot in the sandbox"; }
    # Only calls that succeeded are logged (-z): a file opened or a program started. (Qt
    # looks for qtlogging.ini under its built-in data folder before it has read qt.conf; the
    # sandbox hides that folder, so the look finds nothing.)
    opened=$(grep -E "(openat\(AT_FDCWD, |open\(|execve\()\"$qt_paths" "$work/$program.strace" | head -n 5)
    [ -z "$opened" ] || fail "$program opened system Qt paths: $opened"
    grep -q "\"$folder/libexec/QtWebEngineProcess\"" "$work/$program.strace" \
        || fail "$program did not start the folder's own QtWebEngineProcess"
    echo "screenshot: $shot"
done

[ "$failures" -eq 0 ] && echo "portable archive: ok" && exit 0
exit 1
