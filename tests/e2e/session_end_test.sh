#!/usr/bin/env bash
# The real Tickora.exe under Wine in Xvfb, from the outside: a screenshot of its
# window, then the end of the Windows session (wineboot -e -s), after which the
# autostart value holds the program's path and the settings are saved.
# Needs WINEPREFIX and DISPLAY, as ./test sets them. Usage: session_end_test.sh TICKORA_EXE
set -uo pipefail
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
wine=/usr/lib/wine/wine64
scratch=$(mktemp -d /tmp/tickora-session.XXXXXX)
clock_pid=
finish() {
  [[ -n $clock_pid ]] && kill "$clock_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap finish EXIT
fail() { echo "FAIL: $*"; exit 1; }

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
"$wine" reg delete 'HKCU\Software\Velmarck' /f >/dev/null 2>&1
"$wine" reg delete "$run_key" /v Tickora /f >/dev/null 2>&1

cp "$exe" "$scratch/Tickora.exe"
"$wine" "$scratch/Tickora.exe" &
clock_pid=$!

window=
for _ in $(seq 1 100); do
  window=$(xdotool search --name '^Tickora$' 2>/dev/null | head -n 1)
  [[ -n $window ]] && break
  sleep 0.1
done
[[ -n $window ]] || fail "no Tickora window appeared"
sleep 0.5

# The dial is opaque, the corners show what lies below.
xwd -id "$window" -out "$scratch/window.xwd" || fail "xwd could not read the window"
python3 "$here/xwd_pixels.py" "$scratch/window.xwd" "${TICKORA_SCREENSHOT:-}" <<'CHECKS' || fail "screenshot"
145 145 255 255
60 145 255 255
2 2 0 0
287 287 0 0
287 2 0 0
CHECKS

timeout 60 "$wine" wineboot -e -s >/dev/null 2>&1
for _ in $(seq 1 100); do
  kill -0 "$clock_pid" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$clock_pid" 2>/dev/null && fail "the clock is still running after the session ended"
wait "$clock_pid"
status=$?
clock_pid=
[[ $status -eq 0 ]] || fail "exit code $status"

windows_path=$("$wine" winepath -w "$scratch/Tickora.exe" 2>/dev/null | tr -d '\r')
run_value=$("$wine" reg query "$run_key" /v Tickora 2>/dev/null | tr -d '\r')
grep -qF "$windows_path" <<<"$run_value" || fail "Run value is '$run_value', wanted $windows_path"
settings=$("$wine" reg query 'HKCU\Software\Velmarck\Tickora' 2>/dev/null | tr -d '\r')
for name in PosX PosY Scale Alpha Skin Transparent TopMost ShowSeconds ShowGlass; do
  grep -q "$name" <<<"$settings" || fail "setting $name was not saved"
done
"$wine" reg delete "$run_key" /v Tickora /f >/dev/null 2>&1
echo "session end: autostart written, settings saved"
