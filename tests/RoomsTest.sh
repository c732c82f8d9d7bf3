#!/usr/bin/env bash
# The core's rooms stand on floors: base/, modules/, patch/, flow/, picture/,
# and each includes only the rooms above it (and never Qt). A file that
# reaches down, or sideways into app/ or cli/, fails here.
set -euo pipefail
root=$1
rooms=(base modules patch flow picture)
status=0
for i in "${!rooms[@]}"; do
    room=${rooms[$i]}
    allowed=("${rooms[@]:0:$i}" "$room")
    while IFS= read -r line; do
        file=${line%%:*}
        target=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<< "$line")
        if [[ ! " ${allowed[*]} " == *" $target "* ]]; then
            echo "$file includes $target/, which stands below $room/ or outside the core" >&2
            status=1
        fi
    done < <(grep -Hn '#include "[a-z]*/' "$root/$room"/*.h "$root/$room"/*.cpp || true)
    if grep -Hn '#include <Q' "$root/$room"/*.h "$root/$room"/*.cpp; then
        echo "$room/ includes Qt" >&2
        status=1
    fi
done
exit $status
