#!/usr/bin/env bash
# Installs the Debian packages the build needs, where they are missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev nlohmann-json3-dev libpng-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins libqt6svg6 libgl-dev
  libcurl4-openssl-dev libssl-dev libsodium-dev libxlsxwriter-dev libzip-dev libexpat1-dev
  minisign openssl poppler-utils python3-ezdxf python3-openpyxl
  xvfb xauth xdotool openbox wmctrl x11-utils imagemagick fonts-dejavu-core desktop-file-utils appstream dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
