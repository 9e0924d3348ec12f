#!/usr/bin/env bash
# Takes the screenshots in docs/: the Linux clock in Xvfb without and with a
# compositing manager, and Tickora.exe under Wine. Run after ./test has built
# the linux-release and win64 presets (./run builds the first).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup-machine.sh
scratch=$(mktemp -d /tmp/tickora-shots.XXXXXX)
trap 'stop_wine; stop_xvfb; rm -rf "$scratch"' EXIT
start_xvfb "$scratch"
crop="130,80,330,330"

# Without a compositor: the screen, where the shaped window shows the desktop
# around the dial. With one: the window's own pixels with their alpha (the
# compositors in Xvfb here do not blend ARGB windows into what they show).
shoot_linux() {
  local name=$1 compositor=$2 clock pid_cm= window
  xsetroot -solid '#2f5d8a'
  if [[ $compositor == yes ]]; then xcompmgr & pid_cm=$!; sleep 0.5; fi
  XDG_CONFIG_HOME=$scratch/$name XDG_RUNTIME_DIR=$scratch build/linux-release/src/tickora &
  clock=$!
  sleep 2
  if [[ $compositor == yes ]]; then
    window=$(xdotool search --onlyvisible --name '^Tickora$' | head -n 1)
    xwd -id "$window" -out "$scratch/$name.xwd"
    python3 tests/e2e/xwd_pixels.py "$scratch/$name.xwd" "docs/$name.png" </dev/null
  else
    xwd -root -out "$scratch/$name.xwd"
    python3 tests/e2e/xwd_pixels.py "$scratch/$name.xwd" "docs/$name.png" "$crop" </dev/null
  fi
  kill "$clock"; wait "$clock" || true
  [[ -n $pid_cm ]] && kill "$pid_cm"
  return 0
}

shoot_linux linux-clock-plain no
shoot_linux linux-clock-composited yes

start_wine "$scratch/wine"
/usr/lib/wine/wine64 build/win64/src/Tickora.exe &
sleep 3
window=$(xdotool search --onlyvisible --name '^Tickora$' | head -n 1)
xwd -id "$window" -out "$scratch/wine.xwd"
python3 tests/e2e/xwd_pixels.py "$scratch/wine.xwd" docs/windows-clock-wine.png </dev/null
