#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Vellora needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev libqt6svg6
  libgl-dev
  libsqlite3-dev sqlite3
  libzip-dev zlib1g-dev zip unzip
  libsndfile1-dev
  # Sound and video playback behind Qt Multimedia 6.4: the GStreamer back end's
  # decoders and outputs, and a PulseAudio server (tests run it with a null sink).
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-libav gstreamer1.0-pulseaudio gstreamer1.0-alsa gstreamer1.0-tools
  pulseaudio pulseaudio-utils
  # Speech synthesis: the shared spoken verdicts are made at build time, and
  # tests make narrations with it.
  espeak-ng libespeak-ng-dev
  # Finding each word in a recorded narration (forced alignment).
  libpocketsphinx-dev pocketsphinx-en-us
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fontconfig
  xvfb xauth
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
echo "setup: done"
