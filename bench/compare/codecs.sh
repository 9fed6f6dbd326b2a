#!/usr/bin/env bash
# Decodes a JSON document and a CSV text of SIZE bytes (default 10 MB) in Xel
# (load-json, load-csv) and in Python 3 (json, csv) in one run. Each side
# builds its text in memory and is timed with and without the decode; the
# difference is the decode time, net of start-up and of building the text.
# Times are CPU seconds (user + system). Peak memory is the maximum resident size of the run with the decode.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runner=${XEL_TEST:-$root/build/tests/xel-test}
size=${1:-10000000}
command -v python3 >/dev/null || { echo "python3 is needed" >&2; exit 1; }
[ -x "$runner" ] || { echo "build first: $runner is missing" >&2; exit 1; }

run() { # prints "CPU-seconds peak-kB" of a command (CPU time: other work on the machine does not count)
    /usr/bin/time -f "%U %S %M" "$@" 2>&1 >/dev/null | tail -1 | awk '{ print $1 + $2, $3 }'
}

printf '%-5s %10s %10s %10s %10s %8s %8s\n' codec xel-s py-s xel-MB py-MB time-x mem-x
for codec in json csv; do
    gen="size: $size $(cat "$here/$codec-text.xel")"
    read -r xg _ < <(run "$runner" --eval "$gen length? t")
    read -r xd xm < <(run "$runner" --eval "$gen length? load-$codec t")
    read -r pg _ < <(run python3 "$here/$codec-text.py" "$size" build)
    read -r pd pm < <(run python3 "$here/$codec-text.py" "$size" decode)
    xs=$(echo "$xd - $xg" | bc -l)
    ps=$(echo "$pd - $pg" | bc -l)
    printf '%-5s %10.3f %10.3f %10.1f %10.1f %8.1f %8.1f\n' "$codec" "$xs" "$ps" \
        "$(echo "$xm / 1024" | bc -l)" "$(echo "$pm / 1024" | bc -l)" \
        "$(echo "$xs / $ps" | bc -l)" "$(echo "$xm / $pm" | bc -l)"
done
