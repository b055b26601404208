#!/usr/bin/env bash
# Compares the answers of brix-smt2 with those of z3 on SMT-LIB files: a sat
# where z3 says unsat, or the reverse, fails; unknown on either side is
# allowed. Files with an expected non-zero status (error cases) are left out.
# For a file with one check-sat answered sat, z3 also checks the model: the
# assertions with the model's values must not be unsat.
# Exits 77 (skipped) when z3 is not installed.
#
#   crosscheck_z3.sh BRIX_SMT2 FILE...
set -u
program=$1
shift
command -v z3 > /dev/null || { echo "z3 not installed: skipped"; exit 77; }
answers() { grep -E '^(sat|unsat|unknown)$'; }
fail=0
checked=0
for file in "$@"; do
    [ -f "${file%.smt2}.status" ] && continue
    mapfile -t ours < <("$program" -t 2 "$file" 2>/dev/null | answers)
    mapfile -t theirs < <(timeout 60 z3 -T:20 "$file" 2>/dev/null | answers)
    for i in "${!ours[@]}"; do
        a=${ours[$i]}
        b=${theirs[$i]:-unknown}
        checked=$((checked + 1))
        if { [ "$a" = sat ] && [ "$b" = unsat ]; } || { [ "$a" = unsat ] && [ "$b" = sat ]; }; then
            echo "$file: check-sat $((i + 1)): brix-smt2 says $a, z3 says $b"
            fail=1
        fi
    done
    if [ "$(grep -c '(check-sat)' "$file")" = 1 ] && [ "${ours[0]:-}" = sat ]; then
        script=$(sed -n '/(check-sat)/q;p' "$file")
        # The model is one line: (model (define-fun x () Real V) ...).
        values=$(printf '%s\n(check-sat)\n(get-model)\n' "$script" | "$program" -t 2 - 2>/dev/null |
                 sed -n 's/^(model \(.*\))$/\1/p' | sed 's/ (define-fun /\n(define-fun /g' |
                 sed -n 's/^(define-fun \(.*\) () Real \(.*\))$/(assert (= \1 \2))/p')
        if [ -z "$values" ]; then
            echo "$file: sat without a model"
            fail=1
        fi
        verdict=$(printf '%s\n%s\n(check-sat)\n' "$script" "$values" | timeout 60 z3 -T:20 -in 2>/dev/null)
        checked=$((checked + 1))
        if [ "$verdict" = unsat ]; then
            echo "$file: z3 refutes the model $values"
            fail=1
        fi
    fi
done
echo "$checked answers and models compared"
exit $fail
