#!/usr/bin/env bash
# Installs the Debian packages the program needs (run), or its tests need too (test), or
# building its Debian package needs too (package).
set -euo pipefail
mode=${1:-run}
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
          qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite libsqlite3-dev sqlite3 libsodium-dev fonts-noto-cjk fonts-liberation fp-utils cups-client
          qt6-translations-l10n xchm xdg-utils libcups2-dev
          mdbtools-dev libfreexl-dev libzip-dev)
if [ "$mode" = test ]; then
    packages+=(cups xvfb xauth poppler-utils python3-xlrd libreoffice-calc-nogui libzbar-dev zbar-tools)
fi
if [ "$mode" = test ] || [ "$mode" = package ]; then
    packages+=(dpkg-dev file)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
