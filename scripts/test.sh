#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
runtime_dir="$(mktemp -d)"
chmod 700 "$runtime_dir"
trap 'rm -rf "$runtime_dir"' EXIT
cd "${CALLLEDGER_BUILD_DIR:-$root/build}"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime_dir" \
    ctest --output-on-failure -j "$(nproc)" --timeout 600
# No pause of the window above 100 ms in the everyday steps, on a generated
# file of 50,000 prospects (tools/stallcheck.sh, about two minutes): always in
# CI, elsewhere on request.
if [ -n "${CI:-}" ] || [ -n "${CALLLEDGER_STALL_CHECK:-}" ]; then
    "$root/tools/stallcheck.sh" --generate 50000
fi
# The Debian package round trip (build, lintian, install, start from the menu
# entry, remove) takes a minute or two: always in CI, elsewhere on request.
if [ -n "${CI:-}" ] || [ -n "${CALLLEDGER_PACKAGE_CHECK:-}" ]; then
    "$root/tools/debian-package.sh" --check
fi
