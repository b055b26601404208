#!/usr/bin/env bash
# brix-mpi at 1 and 2 ranks beside brix (wall-clock seconds), the cost of a
# piece (refine time per piece, from BRIX_MPI_STATS) and of a message (a
# ping-pong of 8 B to 1 MiB, and the gather of box lists on rank 0: bytes
# and seconds per result message). Run it alone on the machine.
# Usage: run.sh BUILD_DIR
set -eu
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
mpirun=(mpirun --oversubscribe)
[ "$(id -u)" = 0 ] && mpirun+=(--allow-run-as-root)
problems=(
    "examples/circle.brx 0.001"
    "bench/peers/f07-capsule.brx ${CAPSULE_EPS:-0.01}"
)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" > "$work/out" 2> "$work/err"
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}
open_volume() {
    sed -n 's/^F has no truth value on .* of volume //p' "$work/out"
}
printf '%-14s %-6s %8s %8s %8s %8s %8s %12s\n' problem eps "brix s" "np1 s" "np2 s" "np2/np1" \
    pieces "open np2"
for p in "${problems[@]}"; do
    set -- $p
    input="$root/$1"
    tb=$(seconds "$build/brix" -is -e "$2" < "$input")
    t1=$(seconds "${mpirun[@]}" -np 1 "$build/brix-mpi" -is -e "$2" < "$input")
    rm -f "$work/stats"
    t2=$(BRIX_MPI_STATS="$work/stats" seconds "${mpirun[@]}" -np 2 "$build/brix-mpi" -is -e "$2" \
        < "$input")
    printf '%-14s %-6s %8.2f %8.2f %8.2f %8.2f %8d %12s\n' "$(basename "$1" .brx)" "$2" "$tb" \
        "$t1" "$t2" "$(awk -v a="$t1" -v b="$t2" 'BEGIN { print a / b }')" \
        "$(wc -l < "$work/stats")" "$(open_volume)"
    # Per piece: refine wall seconds (both ranks); per result message from
    # rank 1: bytes and the seconds rank 0 spent receiving and installing it.
    sort -g -k5 "$work/stats" | awk -v name="$(basename "$1" .brx)" '
        { wall[NR] = $5; sum += $5 }
        $2 == 1 { n++; bytes += $6; gather += $7 }
        END {
            p90 = int(NR * 0.9); if (p90 < 1) p90 = 1
            printf "  %s pieces: %d, refine s mean %.4f median %.4f p90 %.4f max %.4f\n", name, NR,
                sum / NR, wall[int((NR + 1) / 2)], wall[p90], wall[NR]
            if (n > 0) printf "  %s results from rank 1: %d, bytes mean %.0f, gather s mean %.6f\n", name, n, bytes / n, gather / n
        }'
done
echo "ping-pong (one way, seconds):"
BRIX_MPI_PINGPONG=200 "${mpirun[@]}" -np 2 "$build/brix-mpi" -is < "$root/examples/circle.brx" \
    2>&1 > /dev/null | sed -n 's/^pingpong /  bytes /p'
