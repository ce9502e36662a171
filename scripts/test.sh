#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" bash scripts/build.sh
cd build

# The real sound devices are tested against a private PulseAudio server with a
# null sink and a null source, which the test programs find through
# XDG_RUNTIME_DIR (VELLORA_SOUND_SERVER tells them not to start their own).
# Where none starts, the suite runs anyway and sound plays silently in real
# time.
SOUND_DIR=""
SOUND_PID=""
stop_sound_server() {
  if [ -n "$SOUND_PID" ]; then
    kill "$SOUND_PID" 2>/dev/null || true
    wait "$SOUND_PID" 2>/dev/null || true
  fi
  if [ -n "$SOUND_DIR" ]; then rm -rf "$SOUND_DIR"; fi
}
trap stop_sound_server EXIT
trap "exit 130" INT TERM
if command -v pulseaudio >/dev/null 2>&1; then
  SOUND_DIR="$(mktemp -d "${TMPDIR:-/tmp}/vellora-sound-XXXXXX")"
  export XDG_RUNTIME_DIR="$SOUND_DIR" PULSE_RUNTIME_PATH="$SOUND_DIR/pulse"
  unset PULSE_SERVER
  # Kept in the foreground of its own job, so that this script stops and
  # reaps exactly the server it started.
  pulseaudio --daemonize=no --exit-idle-time=-1 -n --disable-shm=yes \
    --load="module-null-sink sink_name=nullsink" \
    --load="module-null-source source_name=nullsource" \
    --load=module-native-protocol-unix >/dev/null 2>&1 &
  SOUND_PID=$!
  for _ in $(seq 100); do
    [ -S "$PULSE_RUNTIME_PATH/native" ] || ! kill -0 "$SOUND_PID" 2>/dev/null && break
    sleep 0.05
  done
  if [ -S "$PULSE_RUNTIME_PATH/native" ] && kill -0 "$SOUND_PID" 2>/dev/null; then
    export VELLORA_SOUND_SERVER="$SOUND_DIR"
    echo "test: sound through a null PulseAudio sink"
  else
    echo "test: no sound server; sound plays silently"
  fi
fi

QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 "$@"
