#!/usr/bin/env bash
# Installs what is missing, builds, makes data.mdb beside the program when there is none,
# and starts the program there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release
cd build/release
if [ ! -e data.mdb ]; then
    sqlite3 data.mdb < schema.sql >/dev/null
    echo "Made a new data.mdb in $(pwd)"
fi
exec ./quorvel
