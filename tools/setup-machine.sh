# Shared by ./test and ./run: installs what the builds need on a fresh Debian 12
# machine (only what is missing), and starts Xvfb and a private Wine prefix.
# Sourced, not run.

TICKORA_PACKAGES=(
  cmake ninja-build g++ pkg-config file binutils clang-format libx11-dev libxext-dev libxtst-dev libxss-dev
  googletest libbenchmark-dev clang libclang-rt-14-dev
  libglib2.0-dev libcairo2-dev libgtk-3-dev libpng-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine64 xvfb xauth x11-apps x11-utils x11-xserver-utils xdotool xcompmgr python3 icoutils
  libgtk-layer-shell-dev libwayland-dev libwayland-bin sway xwayland grim weston util-linux passwd
  appstream desktop-file-utils dpkg-dev
  faketime tzdata i3-wm openbox xfwm4 wmctrl xserver-xephyr gettext at-spi2-core dbus python3-gi gir1.2-atspi-2.0
  locales
)

ensure_packages() {
  local missing=() package
  for package in "${TICKORA_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [[ ${#missing[@]} -eq 0 ]] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=()
  [[ $(id -u) -ne 0 ]] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq || return 1
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" || return 1
}

# Xvfb on the first free display number; sets DISPLAY.
start_xvfb() {
  local logdir=$1 number
  for number in $(seq 91 140); do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    # -noreset: by default the server starts itself over whenever its last
    # client leaves, between two tests, and a test that connects meanwhile
    # can be turned away.
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$logdir/xvfb.log" 2>&1 &
    TICKORA_XVFB_PID=$!
    for _ in $(seq 1 50); do
      [[ -e /tmp/.X11-unix/X$number ]] && break
      sleep 0.1
    done
    export DISPLAY=":$number"
    return 0
  done
  echo "no free X display" >&2
  return 1
}

stop_xvfb() {
  [[ -n ${TICKORA_XVFB_PID:-} ]] && kill "$TICKORA_XVFB_PID" 2>/dev/null
  TICKORA_XVFB_PID=
}

# A fresh 64-bit Wine prefix of its own. A command prompt waiting on a pipe keeps
# Wine's server and services up between test processes, so that each one starts
# in a fraction of a second. (A persistent server alone lets the services lapse,
# and every later COM start then waits seconds for them.)
start_wine() {
  export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  mkfifo "$WINEPREFIX/hold"
  exec {TICKORA_WINE_HOLD}<>"$WINEPREFIX/hold"
  /usr/lib/wine/wine64 cmd.exe <"$WINEPREFIX/hold" >/dev/null 2>&1 &
  TICKORA_WINE_KEEPER=$!
  TICKORA_WINE_STARTED=1
}

stop_wine() {
  [[ -z ${TICKORA_WINE_STARTED:-} ]] && return 0
  kill "$TICKORA_WINE_KEEPER" 2>/dev/null
  exec {TICKORA_WINE_HOLD}>&-
  /usr/lib/wine/wineserver -k 2>/dev/null
  TICKORA_WINE_STARTED=
}
