#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in a data folder
# outside the source and build trees.
#
#   scripts/run.sh [ARGS...]         the household's own folder,
#                                    ${XDG_DATA_HOME:-$HOME/.local/share}/jizhang
#                                    (or $JIZHANG_DATA_DIR); a missing fmy.dll is
#                                    written as delivered: no records
#   scripts/run.sh --demo [ARGS...]  a separate folder, .../jizhang-demo, with
#                                    twelve months of invented records
#
# An existing fmy.dll is never touched. Other arguments go to the program.
# JIZHANG_BIN_DIR: start the program already built in that folder instead of
# installing and building.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

demo=0
args=()
for a in "$@"; do
  if [ "$a" = --demo ]; then demo=1; else args+=("$a"); fi
done

if [ -n "${JIZHANG_BIN_DIR:-}" ]; then
  bin=$JIZHANG_BIN_DIR
else
  "$root/scripts/deps.sh"
  bin="$root/build-release"
  BUILD_DIR="$bin" "$root/scripts/build.sh" Release
fi

share=${XDG_DATA_HOME:-$HOME/.local/share}
if [ "$demo" = 1 ]; then
  # Invented records must never reach the household's file, so the demo has
  # its own folder whatever JIZHANG_DATA_DIR says.
  data=$share/jizhang-demo
  mkdb_args=(--demo)
else
  data=${JIZHANG_DATA_DIR:-$share/jizhang}
  mkdb_args=()
fi
mkdir -p "$data"
if [ ! -e "$data/fmy.dll" ]; then
  if [ "$demo" = 1 ]; then
    echo "Writing a demo data file with invented records: $data/fmy.dll"
  else
    echo "Writing a new data file (no records yet): $data/fmy.dll"
  fi
  "$bin/mkdb" "${mkdb_args[@]}" "$data/fmy.dll"
fi
cd "$data"
exec "$bin/jizhang" "${args[@]}"
