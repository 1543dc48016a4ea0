#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
set -euo pipefail
PKGS=(cmake ninja-build g++ clang libclang-rt-dev libgtest-dev libgmock-dev libbenchmark-dev
      libcairo2-dev libjpeg-dev pkg-config libgdal-dev gdal-bin liblua5.4-dev libmspack-dev
      mscompress libgdk-pixbuf-2.0-dev libgeos-dev libboost-dev qt6-base-dev)
# The families the suite draws its font names with ("Arial": Liberation Sans), and FreeType for their metrics.
PKGS+=(fonts-liberation2 libfreetype-dev libfontconfig-dev)
PKGS+=(qt6-translations-l10n)  # Qt's own dialogs in Czech
PKGS+=(libcups2-dev)
# The printing test starts a CUPS server of its own: cupsd and its pass-through filter.
PKGS+=(cups-daemon cups-core-drivers)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
