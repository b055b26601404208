#!/usr/bin/env bash
# Fails when a library below the programs needs X11: one of its static archives
# leaves an X11 or Xt symbol undefined (Xlib and the toolkit name their C
# functions X..., Xt... and _Xt...), or its declared link libraries name X11.
# Usage: x11_free.sh LINK_LIBRARIES_FILE ARCHIVE...
# The file holds one line per library: its name, then its LINK_LIBRARIES and
# INTERFACE_LINK_LIBRARIES as CMake records them.
set -u
links=$1
shift
status=0
for archive in "$@"; do
    if [ ! -f "$archive" ]; then
        echo "missing archive: $archive"
        status=1
        continue
    fi
    symbols=$(nm -u "$archive" | awk 'NF >= 2 {print $NF}' | grep -E '^(X[A-Za-z]|_Xt|_XEditRes)' | sort -u)
    if [ -n "$symbols" ]; then
        echo "$(basename "$archive") references X11: $(echo $symbols | head -c 300)"
        status=1
    fi
done
if grep -i 'x11' "$links"; then
    echo "a core library links X11 (lines above, from $links)"
    status=1
fi
[ $status = 0 ] && echo "x11-free: ok ($# archives)"
exit $status
