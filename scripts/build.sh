#!/usr/bin/env bash
# Configures and builds CallLedger in build/ (warnings are errors).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${CALLLEDGER_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALLLEDGER_WERROR=ON >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
