#!/usr/bin/env bash
# Runs one script against brix-smt2 and compares its standard output.
#
#   run_smt2_case.sh BRIX_SMT2 CASE.smt2
#
# A first line "; args: ..." gives the command-line options (-t 2 when
# missing). CASE.out holds the expected standard output, CASE.status the
# expected exit status (0 when missing). BRIX_UPDATE_GOLDEN=1 rewrites both
# from the actual run.
set -u
program=$1
case_file=$2
base=${case_file%.smt2}
args=(-t 2)
first=$(head -n 1 "$case_file")
if [[ $first == "; args:"* ]]; then
    read -r -a args <<< "${first#; args:}"
fi
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"$program" "${args[@]}" "$case_file" > "$actual" 2>/dev/null
status=$?
if [ "${BRIX_UPDATE_GOLDEN:-0}" = 1 ]; then
    cp "$actual" "$base.out"
    if [ "$status" != 0 ]; then echo "$status" > "$base.status"; else rm -f "$base.status"; fi
    exit 0
fi
expected_status=0
[ -f "$base.status" ] && expected_status=$(cat "$base.status")
fail=0
if ! cmp -s "$base.out" "$actual"; then
    diff -u "$base.out" "$actual" | head -n 80
    fail=1
fi
if [ "$status" != "$expected_status" ]; then
    echo "exit status $status, expected $expected_status"
    fail=1
fi
exit $fail
