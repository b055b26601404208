#!/usr/bin/env bash
# The manual page renders without a warning: groff prints nothing.
# Usage: manpage_test.sh GROFF PAGE
set -u
out=$("$1" -man -ww -z "$2" 2>&1)
if [ -n "$out" ]; then
    echo "$out"
    exit 1
fi
