#!/usr/bin/env bash
# exports_check.sh LIBRARY NAMES_HEADER
# The library exports exactly the names listed in NAMES_HEADER (one quoted
# name a line), carries the SONAME libquillcore.so.2 and is the file
# libquillcore.so.2.5.0.
set -euo pipefail
lib=${1:?library}
names=${2:?names header}
expected=$(grep -o '"[A-Za-z_]*"' "$names" | tr -d '"' | sort)
actual=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort)
if [ "$expected" != "$actual" ]; then
    echo "exports differ (< expected, > exported):"
    diff <(echo "$expected") <(echo "$actual") || true
    exit 1
fi
echo "exports: $(echo "$actual" | wc -l) names as listed"
soname=$(readelf -d "$lib" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
if [ "$soname" != "libquillcore.so.2" ]; then
    echo "SONAME is '$soname', not libquillcore.so.2"
    exit 1
fi
echo "SONAME: $soname"
file=$(basename "$(readlink -f "$lib")")
if [ "$file" != "libquillcore.so.2.5.0" ]; then
    echo "the library is '$file', not libquillcore.so.2.5.0"
    exit 1
fi
echo "file: $file"
