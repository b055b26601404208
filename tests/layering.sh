#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own.
# Each library of the build is one layer; a file may include headers of its
# own layer or of the layers below it, never from above.
set -u
cd "$(dirname "$0")/.."

# Layer of a source path, lowest first:
#   0 brix_system   1 brix_interval, brix_win   2 brix_lang
#   3 brix_tuning   4 brix_solver                5 brix_driver, brix_x11
rank() {
    case "$1" in
        src/System/*) echo 0 ;;
        src/Interval/Iv_NumberText*|src/Interval/Iv_Convert*|src/Interval/Box*) echo 2 ;;
        src/Win/XWindow*) echo 5 ;;
        src/Interval/*|src/Win/*) echo 1 ;;
        src/Expr/*|src/IO/*) echo 2 ;;
        src/Driver/BRIX_Registry*|src/Driver/BRIX_Timer*|src/Driver/ResultPainter*) echo 3 ;;
        src/Driver/BRIX_WindowFactory*) echo 3 ;;
        src/Driver/BRIX_Problem*|src/Driver/BRIX_Timeout*|src/Driver/BRIX_Context*) echo 3 ;;
        src/Constraint/*|src/Search/*) echo 4 ;;
        src/Driver/*) echo 5 ;;
        *) echo 9 ;;
    esac
}

status=0
while IFS= read -r file; do
    own=$(rank "$file")
    while IFS= read -r header; do
        their=$(rank "src/$header")
        if [ "$their" -gt "$own" ]; then
            echo "$file (layer $own) includes $header (layer $their)"
            status=1
        fi
    done < <(sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([A-Za-z]+\/[^"]+)".*/\1/p' "$file")
done < <(find src -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.l' -o -name '*.y' \) | sort)
[ $status = 0 ] && echo "layering: ok"
exit $status
