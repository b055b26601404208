#!/usr/bin/env bash
# Wall-clock seconds of brix with one thread and with -j 2 on problems of two
# and three free variables, one table line each: problem, error bound, the
# two times, the speed-up, and the open volume of both runs (both must be
# within the bound). Usage: run.sh BRIX
set -eu
brix=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
problems=(
    "examples/circle.brx 0.001"
    "examples/robust.brx 0.001"
    "bench/peers/f07-capsule.brx 0.01"
    "bench/peers/f08-torus.brx 0.01"
)
wall() {
    local start end
    start=$(date +%s.%N)
    "$brix" -e "$2" -j "$3" < "$root/$1" > "$4"
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }' 
}
open_volume() {
    sed -n 's/^F has no truth value on .* of volume //p' "$1"
}
printf '%-32s %-6s %9s %9s %8s %12s %12s\n' problem eps "j1 s" "j2 s" speedup "open j1" "open j2"
out1=$(mktemp)
out2=$(mktemp)
trap 'rm -f "$out1" "$out2"' EXIT
for p in "${problems[@]}"; do
    set -- $p
    t1=$(wall "$1" "$2" 1 "$out1")
    t2=$(wall "$1" "$2" 2 "$out2")
    printf '%-32s %-6s %9.2f %9.2f %8.2f %12s %12s\n' "$(basename "$1" .brx)" "$2" "$t1" "$t2" \
        "$(awk -v a="$t1" -v b="$t2" 'BEGIN { print a / b }')" "$(open_volume "$out1")" \
        "$(open_volume "$out2")"
done
