#!/usr/bin/env bash
# Builds Xel from a fresh Debian 12 machine.
#   scripts/build.sh run   install what is missing, build, run the program
#   scripts/build.sh test  install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-run}
shift || true
jobs=$(nproc 2>/dev/null || echo 2)

packages=(cmake ninja-build g++ pkg-config libgtest-dev googletest libssl-dev zlib1g-dev
    libcurl4-openssl-dev curl libpng-dev libjpeg-dev libgif-dev libtiff-dev
    libgtk-3-dev xvfb xauth fonts-dejavu-core)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
    fi
}

configure_and_build() { # dir, extra cmake args...
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

install_missing

case "$mode" in
run)
    configure_and_build build -DCMAKE_BUILD_TYPE=Release
    exec build/xel "$@"
    ;;
test)
    configure_and_build build -DCMAKE_BUILD_TYPE=Release
    configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DXEL_SANITIZE=ON -DXEL_BENCH=OFF
    status=0
    # Each run keeps its own logs: other builds on the machine may test at once.
    logs=$(mktemp -d)
    set +e
    (cd build && ctest -j "$jobs" --output-on-failure) | tee "$logs"/release.txt
    r1=${PIPESTATUS[0]}
    # The language cases again in the collector's torture mode: a collection
    # with compaction at every allocation that may collect, every block
    # planned at its first evaluation; and once more with no plans at all.
    (cd build && XEL_GC_TORTURE=1 XEL_PLANS=1 ctest -j "$jobs" --output-on-failure -R '^cases\.') | tee "$logs"/torture.txt
    r3=${PIPESTATUS[0]}
    (cd build && XEL_PLANS=0 ctest -j "$jobs" --output-on-failure -R '^cases\.') | tee "$logs"/planless.txt
    r5=${PIPESTATUS[0]}
    # The GUI engine's, console's, port and event cases again at every 50th
    # allocation, each collection moving every node the machine stack does not hold.
    (cd build && XEL_GC_TORTURE=50 XEL_GC_TORTURE_NODES=1 ctest -j "$jobs" --output-on-failure \
        -R '^cases\.((gui|console)-|port$|event$)') | tee "$logs"/nodes.txt
    r4=${PIPESTATUS[0]}
    # The exit-path probes watch real faults and limits, which the sanitizers
    # intercept themselves; they run in the release pass only, as do the
    # long-running loops that check the collector's memory bounds (a minute
    # each under the sanitizers, which add nothing to what they check).
    (cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest -j "$jobs" --output-on-failure -E "Probe|Program|LongRun") | tee "$logs"/asan.txt
    r2=${PIPESTATUS[0]}
    set -e
    count() { grep -Eo '[0-9]+ tests failed out of [0-9]+' "$1" | awk '{print $1, $6}'; }
    read -r f1 t1 < <(count "$logs"/release.txt)
    read -r f2 t2 < <(count "$logs"/asan.txt)
    read -r f3 t3 < <(count "$logs"/torture.txt)
    read -r f4 t4 < <(count "$logs"/nodes.txt)
    read -r f5 t5 < <(count "$logs"/planless.txt)
    rm -rf "$logs"
    failed=$((f1 + f2 + f3 + f4 + f5))
    total=$((t1 + t2 + t3 + t4 + t5))
    echo "$((total - failed)) passed, $failed failed"
    [ "$r1" -eq 0 ] && [ "$r2" -eq 0 ] && [ "$r3" -eq 0 ] && [ "$r4" -eq 0 ] && [ "$r5" -eq 0 ] &&
        [ "$failed" -eq 0 ] ||
        status=1
    exit $status
    ;;
*)
    echo "usage: scripts/build.sh run|test" >&2
    exit 2
    ;;
esac
