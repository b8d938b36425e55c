#!/usr/bin/env bash
# Builds the Debian package of the program as Release in build-package/ (or
# $BUILD_DIR): build-package/jizhang_<version>_<arch>.deb. Install it with
#   apt-get install ./build-package/jizhang_*.deb
# Only what the package carries is built, not the tests. Further arguments go
# to the configure step (e.g. -DJIZHANG_MAINTAINER="Name <mail>").
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${BUILD_DIR:-$root/build-package}
# dpkg-shlibdeps (dpkg-dev) and file find the libraries the program needs.
"$root/scripts/deps.sh" dpkg-dev file
# The install step packing the files would otherwise build every test first.
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@" >/dev/null
cmake --build "$dir" --target jizhang delivered_db
cd "$dir"
cpack -G DEB
