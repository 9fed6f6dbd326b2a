#!/usr/bin/env bash
# Runs the same workloads in Xel, Lua 5.4 and Python 3 in one run and prints
# each Xel/Lua and Xel/Python time ratio (below 1: Xel is faster).
# Lua and Python are installed here for benchmarking only.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runner=${XEL_TEST:-$root/build/tests/xel-test}

need=()
command -v lua5.4 >/dev/null || need+=(lua5.4)
command -v python3 >/dev/null || need+=(python3)
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get install -y -qq "${need[@]}" >/dev/null
fi
[ -x "$runner" ] || { echo "build first: $runner is missing" >&2; exit 1; }

seconds() { # command...
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}

printf '%-14s %9s %9s %9s %9s %9s\n' workload xel lua python xel/lua xel/py
for w in fib count build-string sort calls; do
    tx=$(seconds "$runner" --eval "$(cat "$here/$w.xel")")
    tl=$(seconds lua5.4 "$here/$w.lua")
    tp=$(seconds python3 "$here/$w.py")
    printf '%-14s %9.3f %9.3f %9.3f %9.2f %9.2f\n' "$w" "$tx" "$tl" "$tp" \
        "$(echo "$tx / $tl" | bc -l)" "$(echo "$tx / $tp" | bc -l)"
done
