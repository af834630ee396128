#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (a build of their own, build/fuzz)
# and runs each one briefly from its seed corpus, so a regression in a parser shows.
#   bash tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# New inputs go to a scratch corpus; an input that fails is written to build/fuzz/crashes/
# and the script fails: add it to tests/fuzz/corpus/<target>/ once mended.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
cmake -S tests/fuzz -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j "$(nproc)"

targets=("$@")
if ((${#targets[@]} == 0)); then
    targets=(update_list list_signature list_adoption names codepage http_lengths http_answers skin_file version_text ad_items
        profile_file server_roles skin_name desktop_shortcut frame_resize)
fi
mkdir -p build/fuzz/crashes
for target in "${targets[@]}"; do
    scratch=$(mktemp -d)
    echo "fuzz: $target for ${seconds}s"
    if ! build/fuzz/fuzz_"$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 \
        -artifact_prefix=build/fuzz/crashes/"$target"- "$scratch" tests/fuzz/corpus/"$target" \
        >build/fuzz/"$target".log 2>&1; then
        tail -40 build/fuzz/"$target".log
        rm -rf "$scratch"
        echo "fuzz: $target failed; the input is in build/fuzz/crashes/"
        exit 1
    fi
    rm -rf "$scratch"
done
echo "fuzz: ${#targets[@]} targets ran ${seconds}s each without a failure"
