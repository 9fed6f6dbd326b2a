#!/usr/bin/env bash
# Runs the same workloads in Xel, Lua 5.4 and CPython 3.11 in one run and
# prints, for each, the CPU seconds net of start-up (the same program with
# n = 0, timed the same way, subtracted; best of $RUNS), the ratios Xel/Lua
# and Xel/Python (below 1: Xel is faster), and with callgrind the
# instructions per unit of work (a steadier figure on a busy machine).
#   bench/compare/run.sh [workload...]    RUNS=3 by default; NO_CALLGRIND=1 skips it
# Lua, Python and valgrind are installed here for benchmarking only.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runner=${XEL_TEST:-$root/build/tests/xel-test}
runs=${RUNS:-3}

need=()
command -v lua5.4 >/dev/null || need+=(lua5.4)
[ -x /usr/bin/python3.11 ] || need+=(python3.11)
command -v valgrind >/dev/null || need+=(valgrind)
command -v bc >/dev/null || need+=(bc)
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get install -y -qq "${need[@]}" >/dev/null
fi
[ -x "$runner" ] || { echo "build first: $runner is missing" >&2; exit 1; }
python=${PYTHON:-/usr/bin/python3.11}

# workload, n timed, n under callgrind, unit of work
table=(
    "fib 30 20 call"
    "count 10000000 100000 iteration"
    "build-string 2000000 100000 append"
    "calls 1000000 20000 iteration"
    "sort 300000 30000 item"
)

# Units of work done for n: fib counts its calls.
units() { # workload n
    if [ "$1" = fib ]; then
        local a=0 b=1 i
        for ((i = 0; i <= $2; i++)); do
            local t=$((a + b))
            a=$b
            b=$t
        done
        echo $((2 * a - 1))
    else
        echo "$2"
    fi
}

run() { # lang workload n
    case $1 in
    xel) "$runner" --eval "n: $3 $(cat "$here/$2.xel")" ;;
    lua) lua5.4 "$here/$2.lua" "$3" ;;
    py) "$python" "$here/$2.py" "$3" ;;
    esac
}

cpu() { # lang workload n: best user+sys seconds of $runs runs
    local best="" t i
    for ((i = 0; i < runs; i++)); do
        t=$({ TIMEFORMAT='%3U %3S'; time run "$@" >/dev/null; } 2>&1 | awk '{print $1 + $2}')
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
    done
    echo "$best"
}

instructions() { # lang workload n
    local cmd
    case $1 in
    xel) cmd=("$runner" --eval "n: $3 $(cat "$here/$2.xel")") ;;
    lua) cmd=(lua5.4 "$here/$2.lua" "$3") ;;
    py) cmd=("$python" "$here/$2.py" "$3") ;;
    esac
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "${cmd[@]}" 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

only=("$@")
printf '%-13s %8s %8s %8s %8s %8s' workload xel lua python xel/lua xel/py
[ -z "${NO_CALLGRIND:-}" ] && printf ' %10s %8s %8s %8s' unit 'xel ins' 'lua ins' 'py ins'
printf '\n'
for row in "${table[@]}"; do
    read -r w n small unit <<<"$row"
    if [ ${#only[@]} -gt 0 ] && [[ " ${only[*]} " != *" $w "* ]]; then continue; fi
    declare -A net=()
    for lang in xel lua py; do
        net[$lang]=$(echo "$(cpu $lang "$w" "$n") - $(cpu $lang "$w" 0)" | bc -l)
    done
    printf '%-13s %8.3f %8.3f %8.3f %8.2f %8.2f' "$w" "${net[xel]}" "${net[lua]}" "${net[py]}" \
        "$(echo "${net[xel]} / ${net[lua]}" | bc -l)" "$(echo "${net[xel]} / ${net[py]}" | bc -l)"
    if [ -z "${NO_CALLGRIND:-}" ]; then
        u=$(units "$w" "$small")
        printf ' %10s' "$unit"
        for lang in xel lua py; do
            printf ' %8d' $((($(instructions $lang "$w" "$small") - $(instructions $lang "$w" 0)) / u))
        done
    fi
    printf '\n'
done
