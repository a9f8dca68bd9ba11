#!/usr/bin/env bash
# Installs every Debian package the runner and its tests need. Does nothing
# when all are present; runs without standard input (CI).
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache clang libclang-rt-14-dev
  libsdl2-dev libepoxy-dev libopenal-dev libalut-dev libvorbis-dev libogg-dev
  libmpg123-dev libcdio-dev libcdio-cdda-dev libpng-dev libjpeg-dev libgif-dev zlib1g-dev libjson-c-dev
  libbox2d-dev libcurl4-openssl-dev libffi-dev libfreetype-dev libfontconfig-dev
  fonts-dejavu-core libimgui-dev libgtest-dev libgmock-dev libbenchmark-dev
  libgl1-mesa-dri libegl-mesa0 libx11-dev xvfb x11-utils iproute2 locales
  fonts-droid-fallback xdotool x11-xkb-utils imagemagick
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
fi

# The window title tests also start the runner under a Russian UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
  echo "Generating the ru_RU.UTF-8 locale"
  $SUDO sed -i 's/^# *\(ru_RU\.UTF-8 UTF-8\)$/\1/' /etc/locale.gen
  $SUDO locale-gen
fi
