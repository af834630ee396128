#!/usr/bin/env bash
# Installs a build into a fresh prefix and checks the tree as a desktop and a software centre
# read it: the program folder whole and finding its libraries beside itself, the launchers,
# valid desktop entries whose icons exist at every size they claim, and valid metainfo that
# names those entries. Any error or warning of the validators fails the check.
set -uo pipefail
build=${1:?usage: check_install.sh BUILD_DIR [PROGRAM_INSTALL_DIR]}
dir=${2:-lib/pallomar}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A program folder named absolute (/opt/...) is staged below the fresh folder, as a package is.
if [[ $dir = /* ]]; then
    root="$prefix/usr"
    folder="$prefix$dir"
    DESTDIR="$prefix" cmake --install "$build" --prefix /usr >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
else
    root="$prefix"
    folder="$prefix/$dir"
    cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
fi
share="$root/share"

for f in Pallomar TovanTV Renovo libSkinH.so UpdList.xml Images/TovanTV.png bin html skin; do
    [ -e "$folder/$f" ] || fail "program folder lacks $f"
done
# The executables find the skin engine beside them.
for exe in Pallomar TovanTV Renovo; do
    runpath=$(readelf -d "$folder/$exe" 2>/dev/null | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
    [ "$runpath" = '$ORIGIN' ] || fail "$exe has run path '$runpath', not \$ORIGIN"
done

# PNG width and height, from the IHDR chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }

for program in Pallomar TovanTV Renovo; do
    entry="$share/applications/$program.desktop"
    [ -f "$entry" ] || { fail "no entry $program.desktop"; continue; }
    out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate $program.desktop exits non-zero"
    [ -z "$out" ] || fail "desktop-file-validate $program.desktop: $out"
    # The window class the program sets is the entry's name; the entry starts it by that name.
    for key in "Exec=$program" "Icon=$program" "StartupWMClass=$program"; do
        grep -qx "$key" "$entry" || fail "$program.desktop lacks $key"
    done
    link="$root/bin/$program"
    [ -x "$link" ] && [ "$(readlink -f "$link")" = "$(readlink -f "$folder/$program")" ] \
        || fail "bin/$program does not start $folder/$program"
    for size in 16 22 24 32 48 64 128 256; do
        icon="$share/icons/hicolor/${size}x${size}/apps/$program.png"
        if [ ! -f "$icon" ]; then
            fail "no ${size}px icon for $program"
        elif [ "$(png_size "$icon")" != "${size}x${size}" ]; then
            fail "$icon is $(png_size "$icon")"
        fi
    done
done
[ -f "$share/icons/hicolor/scalable/apps/Pallomar.svg" ] || fail "no scalable icon for Pallomar"

for program in Pallomar TovanTV; do
    meta="$share/metainfo/net.tovanis.$program.metainfo.xml"
    [ -f "$meta" ] || { fail "no metainfo for $program"; continue; }
    out=$(appstreamcli validate --no-net "$meta" 2>&1) || fail "appstreamcli validate $program: $out"
    grep -q "<launchable type=\"desktop-id\">$program.desktop</launchable>" "$meta" \
        || fail "metainfo of $program does not launch $program.desktop"
done
# The installed tree as a whole: metainfo, entries and icons found together.
out=$(appstreamcli validate-tree --no-net "$prefix" 2>&1) || fail "appstreamcli validate-tree: $out"

[ "$failures" -eq 0 ] && echo "installed tree: ok" && exit 0
exit 1
