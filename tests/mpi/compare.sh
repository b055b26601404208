#!/usr/bin/env bash
# Runs one problem with brix and with `mpirun -np RANKS brix-mpi` and compares
# the two summaries.
#
#   compare.sh BRIX BRIX_MPI RANKS PROBLEM KIND [OPTION...]
#
# KIND says what is checked besides the exit of both programs:
#   complete  free variables: the true + false + open volumes of brix-mpi
#             add up to brix's |B|, its open volume is within the bound EPS
#             (-e EPS among the options), its true and false volumes agree
#             with brix's within the two open volumes, and no result is
#             partial
#   partial   the same volumes, the open volume not bounded; brix-mpi says
#             "Partial result!" as brix does (time-out)
#   failing   the same volumes, with rank 2 hanging at its first piece: the
#             coordinator says it moved the pieces on, the job still ends
#   exiting   the same, rank 2 exiting at its first piece under
#             `--mca orte_abort_on_non_zero_status 0`
#   sentence  a closed sentence: the same "F is true" / "F is false" line
#   identical one rank: the output of brix, byte for byte (timings masked)
#   threads   the output of `brix -j RANKS`, which cuts the same pieces:
#             byte for byte but for timings and the BRIX-MPI report entries
set -u
brix=$1
brix_mpi=$2
ranks=$3
problem=$4
kind=$5
shift 5
options=("$@")
mpirun=(mpirun --oversubscribe -np "$ranks")
[ "$(id -u)" = 0 ] && mpirun+=(--allow-run-as-root)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    echo "--- brix"; cat "$work/brix"
    echo "--- brix-mpi"; cat "$work/mpi"; cat "$work/mpi.err"
    exit 1
}

threads=()
[ "$kind" = threads ] && threads=(-j "$ranks")
"$brix" -is "${threads[@]}" "${options[@]}" < "$problem" > "$work/brix" 2>/dev/null
export BRIX_MPI_GRACE=1
case $kind in
    failing) export BRIX_MPI_FAIL_RANK=2 BRIX_MPI_FAIL_MODE=hang ;;
    exiting)
        export BRIX_MPI_FAIL_RANK=2 BRIX_MPI_FAIL_MODE=exit
        mpirun+=(--mca orte_abort_on_non_zero_status 0)
        ;;
esac
timeout 120 "${mpirun[@]}" "$brix_mpi" -is "${options[@]}" < "$problem" > "$work/mpi" \
    2> "$work/mpi.err"
status=$?
case $kind in
    failing | exiting)
        # The stuck rank is ended with MPI_Abort once the outputs are out.
        [ $status = 124 ] && fail "the job did not end"
        grep -q 'rank 2 stopped answering' "$work/mpi.err" || fail "no word of the failed rank"
        ;;
    *) [ $status = 0 ] || fail "exit status $status" ;;
esac

if [ "$kind" = identical ] || [ "$kind" = threads ]; then
    mask() {
        sed -E -e '/^Label: `BRIX-MPI:/,+1d' -e 's/^(  (Total|Avg  |Min  |Max  ): ).*/\1<time>/' "$1"
    }
    cmp -s <(mask "$work/brix") <(mask "$work/mpi") || fail "outputs differ"
    exit 0
fi
if [ "$kind" = sentence ]; then
    verdict=$(grep -E '^F is (true|false)$' "$work/brix")
    [ -n "$verdict" ] || fail "brix decided nothing"
    [ "$(grep -E '^F is (true|false)$' "$work/mpi")" = "$verdict" ] || fail "verdicts differ"
    exit 0
fi

# The three volumes of a summary: true false open.
volumes() {
    sed -n -E 's/^F (is true|is false|has no truth value) on [0-9]+ boxes of volume (.*)$/\2/p' "$1" |
        tr '\n' ' '
}
read -r by bn bu <<< "$(volumes "$work/brix")"
read -r my mn mu <<< "$(volumes "$work/mpi")"
[ -n "$mu" ] || fail "no summary from brix-mpi"
eps=0.5
for ((i = 0; i < ${#options[@]}; ++i)); do
    [ "${options[$i]}" = -e ] && eps=${options[$((i + 1))]}
done
bounded=1
[ "$kind" = complete ] || bounded=0
awk -v by="$by" -v bn="$bn" -v bu="$bu" -v my="$my" -v mn="$mn" -v mu="$mu" -v eps="$eps" \
    -v bounded=$bounded '
    function abs(x) { return x < 0 ? -x : x }
    BEGIN {
        # Volumes are printed to six or seven digits.
        whole = by + bn + bu; slack = 1e-5 * whole
        if (abs(my + mn + mu - whole) > slack) { print "volumes add up to " my + mn + mu " not " whole; exit 1 }
        if (bounded && mu > eps * whole + slack) { print "open volume " mu " above the bound"; exit 1 }
        if (abs(my - by) > mu + bu + slack) { print "true volumes " my " and " by " disagree"; exit 1 }
        if (abs(mn - bn) > mu + bu + slack) { print "false volumes " mn " and " bn " disagree"; exit 1 }
    }' || fail "volumes"
if [ "$kind" = partial ]; then
    grep -q '^Partial result!' "$work/mpi" || fail "not reported partial"
    grep -q 'time-out after' "$work/mpi" || fail "no time-out reason"
elif grep -q '^Partial result!' "$work/mpi"; then
    [ "$kind" = complete ] && fail "partial result"
    grep -q 'pieces lost with a failed process' "$work/mpi" || fail "partial without a reason"
fi
exit 0
