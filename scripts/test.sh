#!/usr/bin/env bash
# Installs what Velmora needs, builds it and runs every test with CTest
# (offscreen, no display needed).
#
#   scripts/test.sh              plain build in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer
#                                build in build-asan/ (memory errors fail)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

build="$root/build"
extra=()
if [ "${1:-}" = "--sanitize" ]; then
  build="$root/build-asan"
  extra=(-DVELMORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DVELMORA_BUILD_BENCH=OFF)
fi

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}"
cmake --build "$build"

export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j "$(nproc)"
