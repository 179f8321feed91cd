#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing; quiet when all is there.
set -euo pipefail
PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format pkg-config
  googletest libgtest-dev libgmock-dev
  qt6-base-dev qt6-svg-dev libgl-dev
  fontconfig libfontconfig-dev fonts-liberation fonts-dejavu-core fonts-dejavu-extra fonts-comic-neue
  fonts-urw-base35
  libwmf-dev libjpeg-dev libemf2svg-dev libpcre2-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  # Media back end: MIDI (midiparse, fluiddec), MPEG system streams and mpeg2enc for the tests
  # (-bad), ASF (-ugly), WMA/WMV/Cinepak/MS Video 1/Indeo/MPEG-4 and ADPCM (libav), a General
  # MIDI soundfont (nothing pulls one in without recommends), and the sound device sinks.
  gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly gstreamer1.0-libav timgm6mb-soundfont
  gstreamer1.0-alsa gstreamer1.0-pulseaudio
  xvfb xauth
  # The install test validates the menu entry.
  desktop-file-utils
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Font aliases so that the games' Windows font names resolve to faces of matching width.
if [ -f "$(dirname "$0")/../data/fonts/60-storyloom-aliases.conf" ]; then
  conf=/etc/fonts/conf.d/60-storyloom-aliases.conf
  if ! cmp -s "$(dirname "$0")/../data/fonts/60-storyloom-aliases.conf" "$conf" 2>/dev/null; then
    SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO cp "$(dirname "$0")/../data/fonts/60-storyloom-aliases.conf" "$conf" && fc-cache -f >/dev/null 2>&1 || true
  fi
fi
