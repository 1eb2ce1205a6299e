#!/usr/bin/env bash
# Installs what is missing, builds and starts the program. The shop's data lives in the data
# folder (~/.local/share/quorvel), which the program makes on its first start; cleaning the
# build folder never touches it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release
data="${XDG_DATA_HOME:-$HOME/.local/share}/quorvel"
# Earlier versions kept data.mdb in the build folder: it is moved into the data folder once.
old=build/release
if [ -e "$old/data.mdb" ]; then
    if [ -e "$data/data.mdb" ]; then
        echo "Left $old/data.mdb where it is: $data already has a data.mdb."
    else
        mkdir -p -m 700 "$data"
        for file in data.mdb data.mdb-wal data.mdb-shm; do
            if [ -e "$old/$file" ]; then mv -n "$old/$file" "$data/"; fi
        done
        echo "Moved $old/data.mdb into $data"
    fi
fi
echo "The shop's data (data.mdb) is in $data"
exec build/release/quorvel
