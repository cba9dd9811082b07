#!/usr/bin/env bash
# Installs the Debian packages CallLedger needs to build, test and run.
# Does nothing (and needs no network) when everything is already there.
set -euo pipefail

packages=(
    cmake g++ make
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev
    qt6-translations-l10n
    libxlsxwriter-dev pkg-config unzip
    # the charts of the work statistics (Qt Charts needs the OpenGL module's CMake files)
    qt6-charts-dev libqt6opengl6-dev
    xvfb xauth x11-utils fonts-wqy-microhei
    sqlite3
    # the team server: its driver, the keyring and the server the tests run
    libqt6sql6-psql libpq-dev qtkeychain-qt6-dev postgresql
    # dialling hands tel: links to the desktop through xdg-open
    xdg-utils
    # the built-in telephone: liblinphone, playing recordings through Qt Multimedia
    # (GStreamer's Matroska demuxer and Opus decoder), the registrar the tests
    # run, and the decoder that checks recordings are not silent
    liblinphone-dev qt6-multimedia-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    kamailio ffmpeg
    # the Debian package, its checks and the drawing of the program icon
    dpkg-dev file lintian desktop-file-utils appstream librsvg2-bin
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
"${as_root[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
