#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test: the normal build with all
# programs and window tests (offscreen), then the logic, platform and window tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer (the end-to-end tests, which start the real
# programs on a private display, only in the normal build), then every parser's fuzzer for a while.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh

jobs=$(nproc)
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
if cmake --build build/default --target help | grep -q format-check; then
    cmake --build build/default --target format-check
fi
ctest --preset default -j 2

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j 2

bash tools/fuzz.sh 20
