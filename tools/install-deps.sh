#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test the player.
# Only missing packages are installed; running it again changes nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev qt6-webengine-dev qt6-webchannel-dev
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev
  libxvidcore-dev libsqlite3-dev libsdl2-dev libfontconfig-dev libudev-dev
  ffmpeg xvfb xauth x11-utils xdotool libxcb1-dev openbox fonts-dejavu-core fonts-noto-cjk fonts-tlwg-loma locales
  mpv libxdamage-dev
  # the tests: a reference decoder of ADPCM sound, and time zones with summer time
  libspandsp-dev tzdata
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A decimal-comma locale, so that tests can show that numbers never follow the desktop's locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  as_root sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
