#!/usr/bin/env bash
# Installs what is missing, builds zorvin and starts it in the current
# directory (where it keeps zorvin.ini).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/scripts/deps.sh"
zorvin_install_missing
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" -j "$(nproc)" --target zorvin zorvin-asm zorvin-emusim
exec "$here/build/src/app/zorvin" "$@"
