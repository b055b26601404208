#!/usr/bin/env bash
# Installs a build into a temporary prefix, checks the installed files, then
# configures, builds and runs a program outside the tree (consumer/) that
# finds the package with find_package(BRIX) and solves through the facade
# header alone. With PYTHON and PYTHON_DIR (the package's directory under the
# prefix), the installed Python module is imported from there and solves a
# problem.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR CMAKE CXX_COMPILER [PYTHON PYTHON_DIR]
set -eu
build=$1 source=$2 cmake=$3 cxx=$4 python=${5:-} python_dir=${6:-}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM  # a stopped test removes its directory too
prefix=$tmp/prefix

if ! "$cmake" --install "$build" --prefix "$prefix" > "$tmp/install.log" 2>&1; then
    cat "$tmp/install.log"
    exit 1
fi

status=0
for file in bin/brix bin/brix-plot bin/brix-smt2 bin/brix-mpi \
            share/man/man1/brix.1 share/man/man1/brix-smt2.1 share/man/man1/brix-mpi.1 \
            include/brix/Driver/BRIX_Solve.h \
            lib/libbrix_system.a lib/libbrix_interval.a lib/libbrix_lang.a lib/libbrix_win.a \
            lib/libbrix_tuning.a lib/libbrix_solver.a lib/libbrix_driver.a \
            lib/cmake/BRIX/BRIXConfig.cmake lib/cmake/BRIX/BRIXConfigVersion.cmake \
            lib/cmake/BRIX/BRIXTargets.cmake; do
    if [ ! -f "$prefix/$file" ]; then
        echo "not installed: $file"
        status=1
    fi
done
# Only the facade's headers are installed; the X11 window is the program's own.
for file in include/brix/Interval/Iv_Itvl.h include/brix/System/SAL.h \
            include/brix/Search/BRIX_USAS.h lib/libbrix_x11.a; do
    if [ -e "$prefix/$file" ]; then
        echo "installed, but internal: $file"
        status=1
    fi
done
# The package must not point back into the source or build tree, nor need X11.
if grep -rl -e "$source" -e "$(cd "$build" && pwd)" "$prefix/lib/cmake"; then
    echo "the installed package names the source or build tree"
    status=1
fi
if grep -E 'X11::|\(X11|libX11|libXt' "$prefix"/lib/cmake/BRIX/*.cmake; then
    echo "the installed package needs X11"
    status=1
fi
# Every translation unit of the libraries and programs is compiled for
# changing rounding modes, though consumers are not.
missing=$(awk -v ours="\"$source/src/" -v generated="\"$(cd "$build" && pwd)/src/" '
               /"command":/ { command = $0 }
               /"file":/ && (index($2, ours) == 1 || index($2, generated) == 1) &&
                   (command !~ / -frounding-math / || command !~ / -ffp-contract=off /) {
                   print $2
               }' "$build/compile_commands.json")
if [ -n "$missing" ]; then
    echo "compiled without -frounding-math -ffp-contract=off: $missing"
    status=1
fi
[ $status = 0 ] || exit 1

# The installed program decides the example sentence.
answer=$("$prefix/bin/brix" -is -opf < "$source/examples/sentence.brx")
if ! grep -qx "F is true" <<< "$answer"; then
    echo "installed brix did not decide examples/sentence.brx:"
    echo "$answer"
    exit 1
fi

# A consumer project, found through CMAKE_PREFIX_PATH like any package.
if ! { "$cmake" -S "$source/tests/install/consumer" -B "$tmp/consumer" \
           -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Release \
           -DCMAKE_EXPORT_COMPILE_COMMANDS=ON &&
       "$cmake" --build "$tmp/consumer" -j 2; } > "$tmp/consumer.log" 2>&1; then
    cat "$tmp/consumer.log"
    exit 1
fi
if ! grep -qx "BRIX_DIR:PATH=$prefix/lib/cmake/BRIX" "$tmp/consumer/CMakeCache.txt"; then
    echo "the consumer did not use the installed package:"
    grep "^BRIX_DIR" "$tmp/consumer/CMakeCache.txt"
    exit 1
fi

# The consumer includes the facade only and gets neither the solver's
# floating-point options nor X11.
if grep -e '-frounding-math' -e '-ffp-contract' "$tmp/consumer/compile_commands.json"; then
    echo "the consumer is compiled with the solver's floating-point options"
    exit 1
fi
if grep -i -e 'x11' -e 'lXt' "$tmp/consumer/CMakeFiles/consumer.dir/link.txt"; then
    echo "the consumer links X11"
    exit 1
fi

"$tmp/consumer/consumer" > "$tmp/output" 2> "$tmp/errors" || {
    cat "$tmp/output" "$tmp/errors"
    exit 1
}
cat "$tmp/output"
expected='^disc: solved, [1-9][0-9]* true, [1-9][0-9]* false, [0-9]* open boxes
sentence: true
syntax error: Syntax error$'
if ! [[ "$(cat "$tmp/output")" =~ $expected ]] || [ -s "$tmp/errors" ]; then
    echo "unexpected output of the consumer (standard error: $(cat "$tmp/errors"))"
    exit 1
fi

# The installed Python package, imported from the prefix alone (not from the
# build tree, nor from a copy installed elsewhere).
if [ -n "$python" ]; then
    if ! (cd "$tmp" && PYTHONPATH="$prefix/$python_dir" PYTHONDONTWRITEBYTECODE=1 "$python" -c '
import sys, brix
assert brix.__file__.startswith(sys.argv[1]), brix.__file__
r = brix.solve("FORALL([x], [[0, 1]], x^3 - x <= 0.5)", [], [])
assert r.truth is True, r
print("python:", r)
' "$prefix/$python_dir/brix/"); then
        echo "the installed Python module did not import or solve"
        exit 1
    fi
fi
echo "install: ok"
