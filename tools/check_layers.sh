#!/usr/bin/env bash
# Keeps the layers apart: plain-C++ logic (the logic/ folders, the platform contracts and
# the maker's tool) includes no Qt and no windows/ header. The skin engine's Qt side
# (platform/skin/SkinH.cpp) is a library of the program folder, not logic.
set -euo pipefail
cd "$(dirname "$0")/.."
found=$(git ls-files '*/logic/*' 'platform/*.h' 'platform/*.cpp' 'platform/posix/*' 'updater/publish/*' \
    | grep -v '^platform/skin/SkinH.cpp$' \
    | xargs grep -nE '^\s*#\s*include\s*(<Q|"[^"]*/windows/)' || true)
if [[ -n "$found" ]]; then
    echo "logic files that reach into windows or Qt:"
    echo "$found"
    exit 1
fi
