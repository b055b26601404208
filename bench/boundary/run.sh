#!/usr/bin/env bash
# Runs the boundary problems through a brix executable and prints one line per
# problem and a final count (see README.md in this folder).
#
#   bench/boundary/run.sh [BRIX [NAME...]]
#
# BRIX defaults to $BRIX, else build/brix of this checkout. NAMEs select the
# problems whose file name contains one of them. Exit status 1 when some
# answer is wrong, 2 when the set or the executable cannot be used.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
brix="${1:-${BRIX:-$root/build/brix}}"
shift || true

if ! command -v timeout > /dev/null; then
    echo "run.sh: needs timeout (coreutils)" >&2
    exit 2
fi
exec python3 "$here/check.py" "$brix" "$@"
