#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in the household's
# data folder, which lives outside the source and build trees.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" Release
bin="$root/build-release"
data=${JIZHANG_DATA_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/jizhang}
mkdir -p "$data"
if [ ! -e "$data/fmy.dll" ]; then
  echo "Writing a new data file with demo records: $data/fmy.dll"
  "$bin/mkdb" --demo "$data/fmy.dll"
fi
cd "$data"
exec "$bin/jizhang" "$@"
