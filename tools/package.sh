#!/usr/bin/env bash
# Installs what is missing and builds the Debian package build/package/quorvel_18.0-1_amd64.deb
# from a release build. Install it with: sudo apt install ./build/package/quorvel_18.0-1_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh package
cmake --workflow --preset package
ls -l build/package/*.deb
