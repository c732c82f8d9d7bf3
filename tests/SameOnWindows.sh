#!/usr/bin/env bash
# permuto-cli.exe (under Wine) and the Linux permuto-cli give the same output,
# byte for byte, and the same exit status for every command on every patch
# given: what "late" lists, the ordered patch, the drawing, ...
#   bash tests/SameOnWindows.sh LINUX_CLI WINDOWS_CLI PATCH...
set -uo pipefail
linux=$1 windows=$2
shift 2
wine=${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

failed=0 compared=0
for patch in "$@"; do
    for command in "list" "late" "late -c" "loops" "order -o -" "order --fewest-late -o -" \
                   "swap - poly 1 2 -o -" "move - common 1 2 -o -" "draw -o -"; do
        # "swap - ..." stands for "swap PATCH ...": the patch follows the command.
        set -- $command
        name=$1
        shift
        [ "${1:-}" = "-" ] && shift
        "$linux" "$name" "$patch" "$@" > "$out/linux" 2> "$out/linux.err"
        linux_status=$?
        "$wine" "$windows" "$name" "$patch" "$@" > "$out/windows" 2> "$out/windows.err"
        windows_status=$?
        compared=$((compared + 1))
        if [ "$linux_status" != "$windows_status" ] || ! cmp -s "$out/linux" "$out/windows" ||
            ! cmp -s "$out/linux.err" "$out/windows.err"; then
            echo "DIFFERENT: $name $patch $* (status $linux_status on Linux, $windows_status on Windows)"
            diff <(cat "$out/linux" "$out/linux.err") <(cat "$out/windows" "$out/windows.err") | head -5
            failed=1
        fi
    done
done
echo "$compared runs compared, $([ $failed = 0 ] && echo "all the same" || echo "some differ")"
exit $failed
