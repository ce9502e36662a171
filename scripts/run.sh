#!/usr/bin/env bash
# Sets up, builds and starts Vellora. Arguments go to the program
# (e.g. --data-dir DIR, or a lesson number). On a machine without a display
# it runs inside a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/src/app/vellora "$@"
fi
exec build/src/app/vellora "$@"
