#!/usr/bin/env bash
# Times the lists of the calling day and the series of the work statistics
# (over the last year) on one mwdb.dat twice: through the store
# (storebench, rows fetched into the dialogs' models) and through the sqlite3
# shell running the very same statements, and prints both side by side.
#
#   tools/compare-sqlite3.sh FOLDER [REPEATS]
#
# FOLDER holds a mwdb.dat, for example one made by
#   build/tools/storebench/storebench --generate-only --prospects 1000000 --logs 1000000 FOLDER
# The sqlite3 shell comes from scripts/install-deps.sh.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bench="${STOREBENCH:-$root/build/tools/storebench/storebench}"

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 FOLDER [REPEATS]" >&2
    exit 2
fi
folder="$1"
repeats="${2:-5}"
db="$folder/mwdb.dat"
[ -f "$db" ] || { echo "no $db" >&2; exit 1; }
[ -x "$bench" ] || { echo "no $bench: build first (scripts/build.sh)" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "sqlite3 missing: run scripts/install-deps.sh" >&2; exit 1; }

now_ns() { date +%s%N; }

# Wall time in ns of one sqlite3 process running the statement REPEATS times,
# its output thrown away.
shell_ns() {
    local statement="$1" start end
    start=$(now_ns)
    for ((i = 0; i < repeats; i++)); do printf '%s;\n' "$statement"; done |
        sqlite3 "$db" >/dev/null
    end=$(now_ns)
    echo $((end - start))
}

# The rows of a statistics series are the store's table rows (one per bucket),
# the shell's those of the statement (buckets with data).
# Starting the shell and opening the file is not part of a query.
baseline=$(shell_ns "SELECT 1")

printf '%-34s %12s %12s %7s %8s %8s\n' "list" "store ms" "sqlite3 ms" "ratio" "rows" "rows(sh)"
for group in --calling-lists --statistics; do
    "$bench" --reuse "$group" --print-sql --repeat "$repeats" "$folder" |
        while IFS=$'\t' read -r label store_ms rows statement; do
            total=$(shell_ns "$statement")
            shell_ms=$(awk -v t="$total" -v b="$baseline" -v n="$repeats" \
                'BEGIN { v = (t - b) / n / 1e6; if (v < 0.001) v = 0.001; printf "%.3f", v }')
            shell_rows=$(sqlite3 "$db" "SELECT COUNT(*) FROM ($statement);")
            ratio=$(awk -v a="$store_ms" -v b="$shell_ms" 'BEGIN { printf "%.2f", a / b }')
            printf '%-34s %12s %12s %7s %8s %8s\n' "$label" "$store_ms" "$shell_ms" "$ratio" "$rows" \
                "$shell_rows"
        done
done
