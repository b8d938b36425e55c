#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Quiet and quick when everything is there already.
# Usage: scripts/deps.sh [MORE PACKAGES...]
set -euo pipefail
PKGS="g++ make cmake ninja-build qt6-base-dev qt6-charts-dev libqt6opengl6-dev
libsqlcipher-dev libssl-dev fonts-wqy-zenhei qt6-translations-l10n poppler-utils
python3 python3-xlrd python3-openpyxl libxlsxwriter-dev pkg-config sqlcipher xvfb xauth x11-utils desktop-file-utils
libreoffice-calc-nogui $*"
missing=()
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
