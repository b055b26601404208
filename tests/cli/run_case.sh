#!/usr/bin/env bash
# Runs one end-to-end case against the brix executable.
#
#   run_case.sh BRIX CASE_DIR
#
# CASE_DIR holds:
#   args    the command-line arguments, one per line (may be empty)
#   stdin   standard input (optional; empty when missing)
#   stdout  the expected standard output, compared byte for byte
#   status  the expected exit status (optional; 0 when missing)
# Timings in the profiling report vary from run to run and are masked on both
# sides. BRIX_UPDATE_GOLDEN=1 rewrites stdout and status from the actual run.
set -u
brix=$1
dir=$2

args=()
if [ -s "$dir/args" ]; then
    mapfile -t args < "$dir/args"
fi
dir=$(cd "$dir" && pwd)
input=/dev/null
[ -f "$dir/stdin" ] && input="$dir/stdin"

actual=$(mktemp)
trap 'rm -f "$actual" "$actual.masked" "$actual.expected"' EXIT
( cd "$dir" && exec -a brix "$brix" "${args[@]}" < "$input" > "$actual" 2>/dev/null )
status=$?

mask() {
    sed -E -e 's/^(  (Total|Avg  |Min  |Max  ): ).*/\1<time>/' "$1"
}

if [ "${BRIX_UPDATE_GOLDEN:-0}" = 1 ]; then
    cp "$actual" "$dir/stdout"
    echo "$status" > "$dir/status"
    exit 0
fi

expected_status=0
[ -f "$dir/status" ] && expected_status=$(cat "$dir/status")
fail=0
mask "$actual" > "$actual.masked"
mask "$dir/stdout" > "$actual.expected"
if ! cmp -s "$actual.expected" "$actual.masked"; then
    diff -u "$actual.expected" "$actual.masked" | head -n 80
    fail=1
fi
if [ "$status" != "$expected_status" ]; then
    echo "exit status $status, expected $expected_status"
    fail=1
fi
exit $fail
