#!/usr/bin/env bash
# The include check passes a tree whose includes follow its targets'
# dependencies, and fails for an upward include, for one from a header
# without a source, for no targets and for an unreadable source.
#   check_includes_test.sh CHECK_SCRIPT
set -uo pipefail
check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() { # expect pass|fail WHAT LAYERS ROOT
    local out status
    out=$(python3 "$check" "$3" "$4" 2>&1)
    status=$?
    if { [ "$1" = pass ] && [ $status -ne 0 ]; } || { [ "$1" = fail ] && [ $status -eq 0 ]; }; then
        echo "FAILED: $2: expected $1, got status $status"
        printf '%s\n' "$out" | sed 's/^/    /'
        failures=$((failures + 1))
    else
        echo "ok: $2 ($1)"
    fi
}

# low <- mid <- high; side stands beside them.
root=$work/tree
mkdir -p "$root/low" "$root/mid" "$root/high" "$root/side"
for f in low/a mid/b high/c side/d; do
    printf '#pragma once\n' >"$root/$f.h"
    printf '#include "%s.h"\n' "$f" >"$root/$f.cpp"
done
printf '#pragma once\n#include "low/a.h"\n' >"$root/mid/only.h"
printf '#include "mid/b.h"\n#include "mid/only.h"\n#include "low/a.h"\n#include <vector>\n' \
    >>"$root/high/c.cpp"
layers=$work/layers.txt
cat >"$layers" <<LAYERS
target low low
source $root/low/a.cpp
target mid mid
source $root/mid/b.cpp
link low
target high high
source $root/high/c.cpp
link \$<LINK_LIBRARY:WHOLE_ARCHIVE,mid>
link Qt6::Widgets
target side side
source $root/side/d.cpp
LAYERS

expect pass "includes down the dependencies, through a link expression" "$layers" "$root"

cp "$root/low/a.cpp" "$work/a.cpp"
printf '#include "high/c.h"\n' >>"$root/low/a.cpp"
expect fail "an upward include" "$layers" "$root"
cp "$work/a.cpp" "$root/low/a.cpp"

cp "$root/mid/only.h" "$work/only.h"
printf '#include "side/d.h"\n' >>"$root/mid/only.h"
expect fail "a header without a source includes beside its layer" "$layers" "$root"
cp "$work/only.h" "$root/mid/only.h"

printf '#include "high/c.h"\n' >>"$root/side/d.h"
expect fail "a header includes a target its source's target does not depend on" "$layers" "$root"
printf '#pragma once\n' >"$root/side/d.h"

: >"$work/empty.txt"
expect fail "no targets" "$work/empty.txt" "$root"
expect fail "no layers file" "$work/missing.txt" "$root"

chmod 000 "$root/mid/b.cpp"
if [ ! -r "$root/mid/b.cpp" ]; then
    expect fail "an unreadable source" "$layers" "$root"
fi
chmod 644 "$root/mid/b.cpp"

expect pass "the tree as it was" "$layers" "$root"
[ $failures -eq 0 ]
