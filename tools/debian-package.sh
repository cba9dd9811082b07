#!/usr/bin/env bash
# Builds the Debian package of CallLedger (cpack -G DEB), checks its
# dependencies and runs lintian on it. With --check it then installs the
# package with apt-get, starts the installed program with its desktop entry's
# command under Xvfb until the main window shows, and removes the package.
#
#   tools/debian-package.sh           # leaves build/package/callledger_*.deb
#   tools/debian-package.sh --check   # and the install round trip (root or sudo)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${CALLLEDGER_BUILD_DIR:-$root/build}"
out="$build_dir/package"
entry=/usr/share/applications/com.vantoro.CallLedger.desktop
title="Vantoro电话营销软件 v1.08"

check=false
case "${1:-}" in
"") ;;
--check) check=true ;;
*)
    echo "usage: $0 [--check]" >&2
    exit 2
    ;;
esac

fail() {
    echo "debian-package: $*" >&2
    exit 1
}

"$root/scripts/install-deps.sh"
# Only the program itself is packaged: no need to build the tests for it.
cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALLLEDGER_WERROR=ON >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target callledger callledger_changelog >/dev/null
rm -rf "$out"
(cd "$build_dir" && cpack -G DEB -B "$out" >/dev/null)
debs=("$out"/callledger_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single package in $out"
deb="${debs[0]}"
echo "Built $deb"

# The libraries found by dpkg-shlibdeps (liblinphone's too), the plugins, the font
# and xdg-utils added by hand.
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libqt6sql6-sqlite \
    libqt6network6 libsqlite3-0 libxlsxwriter4 fonts-wqy-microhei xdg-utils \
    liblinphone++10 libqt6multimedia6 gstreamer1.0-plugins-good; do
    # liblinphone++ has pluses, which a pattern reads as repeats.
    grep -Eq "(^|, )${package//+/\\+}( |,|$)" <<<"$depends" || fail "Depends lacks $package"
done

lintian --fail-on error "$deb" ||
    fail "lintian found errors in $deb"

if ! $check; then
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
if dpkg-query -W -f='${Status}' callledger 2>/dev/null | grep -q "install ok installed"; then
    fail "callledger is installed already; the check would remove it afterwards"
fi

sandbox="$(mktemp -d)"
cleanup() {
    "${as_root[@]}" apt-get remove -y -qq callledger >/dev/null 2>&1 || true
    rm -rf "$sandbox"
}
trap cleanup EXIT

(cd "$out" && DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq \
    --no-install-recommends ./callledger_*.deb >/dev/null)
[ -f "$entry" ] || fail "the package did not install $entry"

# The command as the menu runs it, without field codes.
command="$(sed -n 's/^Exec=//p' "$entry" | sed 's/ %[a-zA-Z]//g')"
[ -n "$command" ] || fail "no Exec line in $entry"
echo "Starting the installed program: $command"

# A fresh home and runtime folder, the home folder as the working folder, as
# a menu start has them.
mkdir -m 700 "$sandbox/home" "$sandbox/runtime"
export HOME="$sandbox/home" XDG_RUNTIME_DIR="$sandbox/runtime" QT_QPA_PLATFORM=xcb
unset XDG_DATA_HOME XDG_CONFIG_HOME
cd "$HOME"

# shellcheck disable=SC2016 # expanded by the inner shell
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    command="$1" title="$2"
    $command &
    program=$!
    for _ in $(seq 60); do
        # The title goes on with the data folder.
        if xwininfo -root -tree | grep -qF "\"$title"; then
            kill "$program"
            wait "$program" || true
            exit 0
        fi
        kill -0 "$program" 2>/dev/null || break
        sleep 0.5
    done
    kill "$program" 2>/dev/null || true
    echo "the main window \"$title\" did not show" >&2
    exit 1
' _ "$command" "$title" || fail "the installed program did not start"

data="$HOME/.local/share/CallLedger"
[ "$(stat -c %a "$data")" = 700 ] || fail "$data is not owner-only"
[ -s "$data/mwdb.dat" ] || fail "no mwdb.dat in $data"
[ ! -e "$HOME/mwdb.dat" ] || fail "mwdb.dat was created loose in the home folder"

cd "$root"
"${as_root[@]}" apt-get remove -y -qq callledger >/dev/null
[ ! -e /usr/bin/callledger ] || fail "removing the package left /usr/bin/callledger"
echo "Installed, started from the menu entry, and removed again: all well."
