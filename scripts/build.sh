#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR) with CMake and Ninja.
# Usage: scripts/build.sh [Debug|Release] [extra cmake args...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
type=${1:-Debug}; shift || true
dir=${BUILD_DIR:-$root/build}
[ "$type" = Release ] && dir=${BUILD_DIR:-$root/build-release}
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
cmake --build "$dir" -- -k 0
