#!/usr/bin/env bash
# Builds zelvo (installing what is missing) and starts it: scripts/run.sh [media-file]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELVO_TESTS=OFF -DZELVO_BENCH=OFF >/dev/null
cmake --build "$root/build-release"
exec "$root/build-release/zelvo" "$@"
