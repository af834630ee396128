#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-webengine-dev libgl-dev
    libcurl4-openssl-dev libpugixml-dev libcpp-httplib-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    qt6-translations-l10n
    xvfb xauth xdotool x11-utils x11-apps openbox trayer fonts-wqy-microhei fonts-dejavu-core
    libxcb1-dev libx11-dev libxext-dev libxfixes-dev
    curl procps ffmpeg python3
    libsodium-dev libssl-dev minisign
    desktop-file-utils appstream
    lintian patchelf bubblewrap strace qt6-wayland libqt6svg6 weston xwayland kwin-wayland
    dbus at-spi2-core python3-pyatspi
    clang-14 libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
