#!/usr/bin/env bash
# Runs one end-to-end case of brix-plot.
#
#   run_plot_case.sh BRIX_PLOT BRIX CASE_DIR
#
# CASE_DIR holds:
#   args        brix-plot's arguments, one per line (may be empty)
#   stdin       standard input (optional; empty when missing)
#   brix-args   optional: when present, standard input is instead the output
#               of BRIX run with these arguments on the file brix-stdin
#   files/      optional: copied into the empty working directory first
#   stdout      the expected standard output (empty when missing)
#   stderr      the expected standard error (empty when missing)
#   status      the expected exit status (0 when missing)
#   tree        optional: the expected files of the working directory after
#               the run, one path a line, sorted
#   expected/   optional: expected contents of files the run writes
# A failing run must print exactly one line on standard error, starting with
# "brix-plot: ". BRIX_UPDATE_GOLDEN=1 rewrites stdout, stderr, status and the
# files in expected/ from the actual run.
set -u
plot=$(readlink -f "$1")
brix=$(readlink -f "$2")
dir=$(cd "$3" && pwd)

work=$(mktemp -d)
scratch=$(mktemp -d)
trap 'rm -rf "$work" "$scratch"' EXIT
[ -d "$dir/files" ] && cp -R "$dir/files/." "$work/"
out=$scratch/stdout
err=$scratch/stderr

args=()
if [ -s "$dir/args" ]; then
    mapfile -t args < "$dir/args"
fi
input=/dev/null
[ -f "$dir/stdin" ] && input="$dir/stdin"
if [ -f "$dir/brix-args" ]; then
    brix_args=()
    [ -s "$dir/brix-args" ] && mapfile -t brix_args < "$dir/brix-args"
    input=$scratch/listing
    "$brix" "${brix_args[@]}" < "$dir/brix-stdin" > "$input" 2>/dev/null
fi

( cd "$work" && exec "$plot" "${args[@]}" < "$input" > "$out" 2> "$err" )
status=$?

if [ "${BRIX_UPDATE_GOLDEN:-0}" = 1 ]; then
    cp "$out" "$dir/stdout"
    cp "$err" "$dir/stderr"
    echo "$status" > "$dir/status"
    if [ -d "$dir/expected" ]; then
        for f in "$dir/expected"/*; do
            cp "$work/$(basename "$f")" "$f"
        done
    fi
    exit 0
fi

fail=0
compare() {  # compare EXPECTED ACTUAL LABEL
    if ! cmp -s "$1" "$2"; then
        echo "$3 differs:"
        diff -u "$1" "$2" | head -n 40
        fail=1
    fi
}
expected_status=0
[ -f "$dir/status" ] && expected_status=$(cat "$dir/status")
if [ "$status" != "$expected_status" ]; then
    echo "exit status $status, expected $expected_status"
    fail=1
fi
expected_out=/dev/null
expected_err=/dev/null
[ -f "$dir/stdout" ] && expected_out=$dir/stdout
[ -f "$dir/stderr" ] && expected_err=$dir/stderr
compare "$expected_out" "$out" stdout
compare "$expected_err" "$err" stderr
if [ "$status" != 0 ]; then
    if [ "$(wc -l < "$err")" != 1 ] || ! head -n 1 "$err" | grep -q '^brix-plot: '; then
        echo "a failure must print one line starting with \"brix-plot: \""
        fail=1
    fi
fi
if [ -f "$dir/tree" ]; then
    (cd "$work" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort) > "$scratch/tree"
    compare "$dir/tree" "$scratch/tree" tree
fi
if [ -d "$dir/expected" ]; then
    for f in "$dir/expected"/*; do
        compare "$f" "$work/$(basename "$f")" "$(basename "$f")"
    done
fi
exit $fail
