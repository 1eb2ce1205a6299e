#!/usr/bin/env bash
# Installs what is missing, starts the print spooler the printing tests use, builds with
# the sanitizers and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh test
if ! pgrep -x cupsd >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo cupsd
fi
cmake --preset test >/dev/null
cmake --build --preset test
ctest --preset test
