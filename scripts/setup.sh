#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Idempotent: does nothing when all packages are present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite
  qt6-webengine-dev qt6-webengine-dev-tools
  qt6-multimedia-dev libqt6multimedia6 qml6-module-qtmultimedia
  qt6-translations-l10n qt6-l10n-tools
  libsqlite3-dev sqlite3 mdbtools-dev mdbtools libxlsxwriter-dev python3-openpyxl
  libreoffice-writer-nogui libreoffice-impress-nogui
  libgl-dev
  xvfb xauth x11-utils
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly gstreamer1.0-libav
  fonts-urw-base35 fonts-liberation2 fonts-dejavu-core
  halibut
  clang libclang-rt-14-dev
  ccache
  dpkg-dev lintian file man-db
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Устанавливаются пакеты: ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
