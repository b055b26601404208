#!/usr/bin/env bash
# Fails when a file of src/ (or python/) includes a header of a library that
# its own library does not link, directly or through the libraries it links.
#
# Usage: layering.sh TARGETS_FILE [-v]
# TARGETS_FILE is written by tests/CMakeLists.txt when the build system is
# generated: a line "root|SOURCE_DIR|BINARY_DIR", then one line per target of
# src/ and python/, "target|NAME|TYPE|FOLDER|SOURCES|LINK_LIBRARIES|OBJECTS"
# (CMake lists inside the fields). -v also prints the library of every file.
# Run from the source directory.
#
# The library of a file, from the targets alone:
# 1. The target that compiles the source of the same folder and base name
#    (src/Interval/Iv_Itvl.h goes with Iv_Itvl.cpp). A generated source counts
#    in the source folder its build folder mirrors: src/Expr/Ex_Parser.y goes
#    with build/src/Expr/Ex_Parser.cpp.
# 2. Else the target compiling the source of that folder whose base name is
#    the longest one that the file's base name extends by a capitalised word
#    (Win_XWindowState.h goes with Win_XWindow.cpp, BRIX_DistPolyDetail.h with
#    BRIX_DistPoly.cpp).
# 3. Else the lowest library compiling sources of that folder, the one every
#    other library there links (Iv_Round.h belongs to brix_interval, not
#    brix_lang; BRIX_Problem.h to brix_tuning, not brix_driver).
# An object library whose objects another library compiles is part of that
# library (the scanner and parser objects are part of brix_lang). A file no
# rule places, and a source file of src/ that no target compiles, fail too.
set -u
targets_file=$1
verbose=${2:-}

declare -A type_of folder_of sources_of links_of objects_of
declare -A unit_of closure compiled folder_bases folder_libs placed_of
names=()
source_root=""
binary_root=""
while IFS='|' read -r kind a b c d e f; do
    case "$kind" in
        root)
            source_root=$a
            binary_root=$b
            ;;
        target)
            names+=("$a")
            type_of[$a]=$b
            folder_of[$a]=$c
            sources_of[$a]=$d
            links_of[$a]=$e
            objects_of[$a]=$f
            ;;
    esac
done < "$targets_file"
if [ -z "$source_root" ] || [ ${#names[@]} = 0 ]; then
    echo "layering: no targets in $targets_file"
    exit 1
fi

status=0
fail() {
    echo "$1"
    status=1
}

# The unit of each target: itself, or for an object library the library
# that compiles its objects.
for t in "${names[@]}"; do
    unit_of[$t]=$t
done
for o in "${names[@]}"; do
    [ "${type_of[$o]}" = OBJECT_LIBRARY ] || continue
    first=${objects_of[$o]%%;*}
    [ -n "$first" ] || continue
    for t in "${names[@]}"; do
        if [ "$t" != "$o" ] && [[ ";${sources_of[$t]};" == *";$first;"* ]]; then
            unit_of[$o]=$t
        fi
    done
done

# The direct dependencies of each unit among the units (other link
# libraries, such as GMP or X11, are not ours), then their closure.
declare -A deps
for t in "${names[@]}"; do
    u=${unit_of[$t]}
    IFS=';' read -r -a linked <<< "${links_of[$t]}"
    for l in "${linked[@]}"; do
        if [ -n "${unit_of[$l]+set}" ] && [ "${unit_of[$l]}" != "$u" ]; then
            deps[$u]="${deps[$u]:-} ${unit_of[$l]}"
        fi
    done
done
for t in "${names[@]}"; do
    u=${unit_of[$t]}
    [ -z "${closure[$u]+set}" ] || continue
    reached=" $u "
    pending="${deps[$u]:-}"
    while [ -n "${pending// /}" ]; do
        read -r next pending <<< "$pending"
        if [[ "$reached" != *" $next "* ]]; then
            reached="$reached$next "
            pending="$pending ${deps[$next]:-}"
        fi
    done
    closure[$u]=$reached
done

# Path of a file relative to the source tree, a generated one as the source
# path its build folder mirrors; empty outside both trees.
relative() {
    case "$1" in
        "$binary_root"/*) echo "${1#"$binary_root"/}" ;;
        "$source_root"/*) echo "${1#"$source_root"/}" ;;
        *) echo "" ;;
    esac
}

# What every target compiles, by folder and base name.
compiled_files=()
for t in "${names[@]}"; do
    u=${unit_of[$t]}
    IFS=';' read -r -a sources <<< "${sources_of[$t]}"
    for s in "${sources[@]}"; do
        case "$s" in
            *.cpp | *.cc | *.c) ;;
            *) continue ;;
        esac
        [[ "$s" == /* ]] || s="${folder_of[$t]}/$s"
        rel=$(relative "$s")
        [ -n "$rel" ] || continue
        [[ "$s" == "$binary_root"/* ]] || compiled_files+=("$rel")
        key=${rel%.*}
        if [ -n "${compiled[$key]+set}" ] && [ "${compiled[$key]}" != "$u" ]; then
            fail "$rel is compiled by ${compiled[$key]} and by $u"
        fi
        compiled[$key]=$u
        folder=${key%/*}
        folder_bases[$folder]="${folder_bases[$folder]:-} ${key##*/}"
        case "${type_of[$u]}" in
            STATIC_LIBRARY | SHARED_LIBRARY | OBJECT_LIBRARY)
                [[ " ${folder_libs[$folder]:-} " == *" $u "* ]] ||
                    folder_libs[$folder]="${folder_libs[$folder]:-} $u"
                ;;
        esac
    done
done

# Sets `placed` to the library of file (a path relative to the source tree),
# empty when no rule places it (reported once).
place() {
    local file=$1
    if [ -n "${placed_of[$file]+set}" ]; then
        placed=${placed_of[$file]}
        return
    fi
    local folder=${file%/*} base=${file##*/}
    local ext=${base##*.}
    base=${base%.*}
    placed=""
    if [ -n "${compiled[$folder/$base]+set}" ]; then
        placed=${compiled[$folder/$base]}
    elif [ "$ext" = cpp ] || [ "$ext" = cc ] || [ "$ext" = c ]; then
        fail "$file is compiled by no target"
    else
        local best="" b
        for b in ${folder_bases[$folder]:-}; do
            if [[ "$base" == "$b"[A-Z]* ]] && [ ${#b} -gt ${#best} ]; then
                best=$b
            fi
        done
        if [ -n "$best" ]; then
            placed=${compiled[$folder/$best]}
        else
            local c other lowest=""
            for c in ${folder_libs[$folder]:-}; do
                local below_all=1
                for other in ${folder_libs[$folder]}; do
                    if [ "$other" != "$c" ] && [[ "${closure[$other]}" != *" $c "* ]]; then
                        below_all=0
                    fi
                done
                [ $below_all = 1 ] && lowest=$c
            done
            placed=$lowest
            if [ -z "$placed" ]; then
                fail "$file belongs to no library: no source of its name, and no library of $folder that the others there link"
            fi
        fi
    fi
    placed_of[$file]=$placed
}

files=()
while IFS= read -r file; do
    files+=("$file")
done < <({
    find src -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \
        -o -name '*.c' -o -name '*.y' -o -name '*.l' \)
    printf '%s\n' "${compiled_files[@]}"
} | sort -u)

for file in "${files[@]}"; do
    place "$file"
    own=$placed
    [ -n "$own" ] || continue
    [ -z "$verbose" ] || echo "$file: $own"
    while IFS= read -r header; do
        [ -f "src/$header" ] || continue
        place "src/$header"
        their=$placed
        if [ -n "$their" ] && [[ "${closure[$own]}" != *" $their "* ]]; then
            fail "$file ($own) includes $header ($their), which $own does not link"
        fi
    done < <(sed -n -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([A-Za-z_]+\/[^"]+)".*/\1/p' "$file")
done
[ $status = 0 ] && echo "layering: ok (${#files[@]} files, ${#names[@]} targets)"
exit $status
