#!/usr/bin/env bash
# Finds frozen windows: drives the everyday steps in the real program
# (build/tools/stallcheck/stalldriver) on a virtual X server with the stall
# logger preloaded, and prints every pause of the GUI thread longer than 50 ms
# under the step it happened in. Exits 1 when one after the window showed is
# longer than the budget.
#
#   tools/stallcheck.sh [--budget MS] FOLDER         a copy of FOLDER/mwdb.dat
#   tools/stallcheck.sh [--budget MS] --generate N   a new file of N prospects
#
# FOLDER's file is copied, never changed. --generate makes a file with
# storebench (N prospects, N logs, a tenth as many recruits). The budget is
# 100 ms unless given.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${CALLLEDGER_BUILD_DIR:-$root/build}"
budget=100
folder=""
generate=""
while [ $# -gt 0 ]; do
    case "$1" in
    --budget) budget="$2"; shift 2 ;;
    --generate) generate="$2"; shift 2 ;;
    *) folder="$1"; shift ;;
    esac
done
if [ -z "$folder" ] && [ -z "$generate" ]; then
    sed -n '2,14p' "$0" >&2
    exit 2
fi
driver="$build/tools/stallcheck/stalldriver"
[ -x "$driver" ] || { echo "no $driver: build first (scripts/build.sh)" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "xvfb-run missing: run scripts/install-deps.sh" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
logger="$work/stall-logger.so"
cc -shared -fPIC -O2 -o "$logger" "$root/tools/stallcheck/stall-logger.c" -ldl

if [ -n "$generate" ]; then
    "$build/tools/storebench/storebench" --generate-only --prospects "$generate" \
        --logs "$generate" "$work/data" >/dev/null
else
    [ -f "$folder/mwdb.dat" ] || { echo "no $folder/mwdb.dat" >&2; exit 1; }
    cp "$folder/mwdb.dat" "$work/data/"
fi
# The copy's pages go to the disk now: written back while the program runs,
# they would hold up its first fsync and count as its pause.
sync

steps="$work/steps.txt"
gaps="$work/gaps.txt"
touch "$gaps"
(
    cd "$work/data"
    HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime" \
        QT_QPA_PLATFORM=xcb FREEZELOG="$gaps" FREEZE_MS=50 LD_PRELOAD="$logger" \
        timeout 600 xvfb-run -a -s "-screen 0 1280x1024x24" "$driver" >"$steps"
)

# Each gap under the last step announced before its end.
awk -v budget="$budget" '
    function ms(t,   p) { split(t, p, /[:.]/); return ((p[1] * 60 + p[2]) * 60 + p[3]) * 1000 + p[4] }
    FNR == NR { if ($2 == "step") { at[n] = ms($1); $1 = ""; $2 = ""; name[n++] = substr($0, 3) } next }
    $2 == "busy" {
        end = ms($1); step = "before the window"
        for (i = 0; i < n && at[i] <= end; i++) step = name[i]
        # Before the window shows, a pause is start-up time (startupbench
        # measures it), not a frozen window.
        counts = (i > 1)
        mark = ($3 > budget && counts) ? "  OVER" : ""
        printf "%8d ms  %s%s\n", $3, step, mark
        if ($3 > budget && counts) over++
        if ($3 > worst && counts) worst = $3
    }
    END {
        for (i = 1; i < n; i++) if (name[i] == "ended") printf "quitting took %d ms\n", at[i] - at[i - 1]
        printf "%d steps, longest pause %d ms, %d over the %d ms budget\n", n, worst, over, budget
        exit over > 0
    }' "$steps" "$gaps"
