#!/usr/bin/env bash
# Installs what is missing, builds, and starts CallLedger. The data file
# mwdb.dat lives in the folder you start this from.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
exe="${CALLLEDGER_BUILD_DIR:-$root/build}/callledger"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting on a virtual X server (xvfb-run)."
    exec xvfb-run -a "$exe" "$@"
fi
exec "$exe" "$@"
