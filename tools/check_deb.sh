#!/usr/bin/env bash
# The Debian package as a user meets it: builds it with cpack, checks it with lintian (no
# error), installs it with apt-get, runs both shells as a user who is not root against the
# local portal server (each saves its screenshot; settings land under that user's XDG
# folders; the program folder stays byte for byte as installed), runs the updater as that
# user (it says the package manager updates this installation and changes nothing), and
# purges the package: no file of it is left outside the user's home. The package is purged
# on every way out, so a failed run leaves the machine as it was.
set -uo pipefail
build=$(realpath "${1:?usage: check_deb.sh BUILD_DIR [SCREENSHOT_DIR]}")
shots=$(realpath -m "${2:-$build/package}")
folder=/opt/pallomar
uid=65534 # nobody
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
[ "$(id -u)" -eq 0 ] || { echo "SKIP: installs a package (run as root)"; exit 0; }
if dpkg-query -W -f='${Status}' pallomar 2>/dev/null | grep -q 'ok installed' || [ -e "$folder" ]; then
    echo "FAIL: pallomar is installed on this machine already, or $folder exists: not touching it"
    exit 1
fi

work=$(mktemp -d)
sim_pid="" xvfb_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    if dpkg-query -W pallomar >/dev/null 2>&1; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq pallomar >/dev/null 2>&1
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The package.
rm -f "$build"/package/pallomar_*.deb
(cd "$build" && cpack -G DEB -B "$build/package" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$build"/package/pallomar_*_amd64.deb 2>/dev/null | head -n1)
[ -f "$deb" ] || { echo "FAIL: no package written"; exit 1; }
echo "package: $deb ($(du -h "$deb" | cut -f1))"
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/contents"
for path in "$folder/Pallomar" "$folder/TovanTV" "$folder/Renovo" "$folder/libSkinH.so" \
    "$folder/installed-by-package" /usr/share/applications/Pallomar.desktop \
    /usr/share/applications/TovanTV.desktop /usr/share/icons/hicolor/256x256/apps/Pallomar.png \
    /usr/share/icons/hicolor/scalable/apps/Pallomar.svg /usr/share/metainfo/net.tovanis.Pallomar.metainfo.xml \
    /usr/share/doc/pallomar/copyright /usr/bin/Pallomar; do
    grep -qx "$path" "$work/contents" || fail "package lacks $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
for lib in libqt6webenginewidgets6 libqt6widgets6 libcurl4 libsodium23; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib (dpkg-shlibdeps)"
done
if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1
    sed 's/^/lintian: /' "$work/lintian"
    grep -q '^E:' "$work/lintian" && fail "lintian reports errors"
else
    fail "lintian is not installed"
fi

# Installed by the package manager.
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 \
    || { cat "$work/apt.log"; echo "FAIL: apt-get install"; exit 1; }
for program in Pallomar TovanTV; do
    out=$(desktop-file-validate "/usr/share/applications/$program.desktop" 2>&1) || fail "$program.desktop: $out"
done
manifest() { (cd "$folder" && find . -printf '%p %m %U %s %l\n' | sort && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
manifest >"$work/opt.before"

# A user of the machine: a home of their own, nothing else of theirs.
home="$work/home"
mkdir -p "$home/run" "$shots"
chmod 700 "$home/run"
chown -R "$uid:$uid" "$home"
chmod 755 "$work"
touch "$work/start"

# shellcheck source=tools/lib/sim_and_display.sh
source "$(dirname "$0")/lib/sim_and_display.sh"
start_sim_and_display "$build"

# Runs a program as the user, in their own environment; its output in $work/NAME.log.
as_user() (
    local name=$1
    shift
    exec timeout 120 setpriv --reuid=$uid --regid=$uid --clear-groups -- env -i HOME="$home" USER=nobody \
        PATH=/usr/bin:/bin DISPLAY="$display" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 \
        PORTAL_PRIMARY_SERVER=$host FILM_MIRROR_SERVER=$host PORTAL_BACKUP_SERVER=$host \
        FILM_BACKUP_SERVER=$host TV_SITE_SERVER=$host QTWEBENGINE_DISABLE_SANDBOX=1 \
        QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu XDG_RUNTIME_DIR="$home/run" "$@" >"$work/$name.log" 2>&1
)
# The launchers in /usr/bin start them, as the desktop entries do.
as_user pallomar PALLOMAR_SCREENSHOT="$home/pallomar.png" /usr/bin/Pallomar
grep -q "screenshot saved to" "$work/pallomar.log" || { cat "$work/pallomar.log"; fail "Pallomar saved no screenshot"; }
as_user tovantv TOVANTV_SCREENSHOT="$home/tovantv.png" /usr/bin/TovanTV
grep -q "screenshot saved to" "$work/tovantv.log" || { cat "$work/tovantv.log"; fail "TovanTV saved no screenshot"; }
cp "$home/pallomar.png" "$shots/installed-pallomar.png" 2>/dev/null
cp "$home/tovantv.png" "$shots/installed-tovantv.png" 2>/dev/null
echo "screenshots: $shots/installed-pallomar.png $shots/installed-tovantv.png $shots/installed-renovo.png"
# The TV shell stores its skin at exit: in the user's configuration folder.
grep -q '^\[Skin\]' "$home/.config/pallomar/Setting.ini" 2>/dev/null \
    || fail "no Setting.ini with the skin under the user's ~/.config/pallomar"

# The updater, started by hand: one message, then it ends; nothing fetched.
requests_before=$(curl -s "http://$host/__sim/requests" | grep -c 'UpdList' || true)
as_user renovo /usr/bin/Renovo &
renovo=$!
for _ in $(seq 200); do grep -q 'Renovo: ' "$work/renovo.log" && break; sleep 0.05; done
grep -q '软件包管理器' "$work/renovo.log" || { cat "$work/renovo.log"; fail "Renovo did not say the package manager updates it"; }
sleep 1
xwininfo -display "$display" -root -tree | grep -q '"Renovo"' || fail "Renovo showed no message box"
command -v import >/dev/null && import -display "$display" -window root -crop 640x360+320+220 "$shots/installed-renovo.png"
kill "$renovo" 2>/dev/null
wait "$renovo" 2>/dev/null
requests_after=$(curl -s "http://$host/__sim/requests" | grep -c 'UpdList' || true)
[ "$requests_before" = "$requests_after" ] || fail "Renovo fetched the update list"

manifest >"$work/opt.after"
diff "$work/opt.before" "$work/opt.after" >/dev/null || { diff "$work/opt.before" "$work/opt.after" | head; fail "$folder changed"; }

# Purged: nothing of the package is left outside the user's home.
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq pallomar >/dev/null 2>&1 || fail "apt-get purge"
while read -r path; do
    [ -d "$path" ] && continue
    [ -e "$path" ] || [ -L "$path" ] && fail "$path left after purge"
done <"$work/contents"
[ -e "$folder" ] && fail "$folder left after purge"
# Nor did the user's programs write anywhere else.
left=$(find /opt /usr /etc /var /tmp -xdev -path "$work" -prune -o -user $uid -newer "$work/start" -print 2>/dev/null | head)
[ -n "$left" ] && fail "the user's programs wrote outside the home: $left"
ls -A "$home/.config/pallomar" >/dev/null 2>&1 || fail "the user's settings went with the package"

[ "$failures" -eq 0 ] && echo "debian package: ok" && exit 0
exit 1
