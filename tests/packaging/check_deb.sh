#!/usr/bin/env bash
# Builds the Debian package from the linux-release preset, unpacks it into a
# scratch root as dpkg would install it, validates the menu entry, the
# metainfo (both translated), the catalogues, the icons and the manual page,
# and starts the installed clock in an Xvfb of its own with each bundled skin,
# found through $XDG_DATA_DIRS, with its icon from the theme there.
set -euo pipefail
source_dir=$1
cd "$source_dir"
source tools/setup-machine.sh
scratch=$(mktemp -d /tmp/tickora-deb.XXXXXX)
clock=
cleanup() {
  [[ -n $clock ]] && kill "$clock" 2>/dev/null
  stop_xvfb
  rm -rf "$scratch"
}
trap cleanup EXIT
fail=0
problem() { echo "FAIL: $*"; fail=1; }
id=com.velmarck.tickora

run_logged() {
  "$@" >"$scratch/step.log" 2>&1 || { cat "$scratch/step.log"; echo "FAIL: $*"; exit 1; }
}
run_logged cmake --preset linux-release
# The whole preset, as the README builds it: the package's files, and the skin
# tools and benchmarks the README shows under build/linux-release.
run_logged cmake --build --preset linux-release
run_logged cpack --config build/linux-release/CPackConfig.cmake -B "$scratch/out"
deb=$(ls "$scratch"/out/tickora_*_amd64.deb)

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libglib2.0-0 libcairo2 libgtk-3-0; do
  [[ $depends == *"$library"* ]] || problem "Depends lacks $library: $depends"
done
root=$scratch/root
dpkg -x "$deb" "$root"
share=$root/usr/share

for file in usr/bin/tickora usr/share/man/man1/tickora.1.gz \
            "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml"; do
  [[ -f $root/$file ]] || problem "the package has no /$file"
done
for size in 16 32 48 64 128 256; do
  icon=$share/icons/hicolor/${size}x$size/apps/$id.png
  [[ $(file -b "$icon") == "PNG image data, $size x $size, 8-bit/color RGBA"* ]] ||
    problem "icon $icon: $(file -b "$icon" 2>&1)"
done
desktop-file-validate "$share/applications/$id.desktop" || problem "desktop-file-validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || problem "appstreamcli validate"
zcat "$share/man/man1/tickora.1.gz" | grep -q '^\.TH TICKORA 1' || problem "manual page"
zcat "$share/man/man1/tickora.1.gz" | grep -qF '\-\-version' || problem "the manual page has no --version"

# Every language of po/LINGUAS: its compiled catalogue, and its texts in the
# menu entry and the metainfo.
for language in $(grep -E '^[a-zA-Z]' po/LINGUAS); do
  catalogue=$share/locale/$language/LC_MESSAGES/tickora.mo
  [[ $(msgunfmt "$catalogue" 2>/dev/null | grep -c '^msgid') -gt 20 ]] ||
    problem "no catalogue $catalogue"
  grep -q "^GenericName\[$language\]=" "$share/applications/$id.desktop" ||
    problem "the menu entry has no GenericName[$language]"
  grep -q "<summary xml:lang=\"$language\">" "$share/metainfo/$id.metainfo.xml" ||
    problem "the metainfo has no summary in $language"
done
grep -q '^StartupWMClass=com.velmarck.tickora$' "$share/applications/$id.desktop" ||
  problem "the menu entry has no StartupWMClass"
# The installed clock finds its catalogues beside itself (../share/locale),
# wherever it is installed; --help needs no display.
usage=$(env -u DISPLAY -u WAYLAND_DISPLAY LANG=C.UTF-8 LANGUAGE=fr "$root/usr/bin/tickora" --help) ||
  problem "--help exits $?"
[[ $usage == "Utilisation"* ]] || problem "LANGUAGE=fr tickora --help says: $usage"

skins=$(cd "$source_dir/skins" && ls)
[[ $(cd "$share/tickora/skins" && ls) == "$skins" ]] || problem "skins: $(ls "$share/tickora/skins")"

# The installed clock, as a user's session starts it: the window takes each
# skin's face size (Scale is 100 by default), which only a skin found through
# the XDG data folders can give it. /usr/share comes last, as the system's
# hicolor theme (its index) is there, while the clock's icon is only in the
# package.
start_xvfb "$scratch"
face_size() {
  python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$1"
}
for skin in $skins; do
  home=$scratch/home-$skin
  mkdir -p "$home/config/tickora" "$home/run"
  chmod 700 "$home/run"
  printf '[Software\\Velmarck\\Tickora]\nSkin=sz:%s\n' "$skin" >"$home/config/tickora/settings.ini"
  XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run XDG_DATA_HOME=$home/data \
    XDG_DATA_DIRS=$root/usr/share:/usr/share GDK_GL=disable "$root/usr/bin/tickora" &
  clock=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$clock" --name '^Tickora$' |
           head -n 1) || true
  want=$(face_size "$share/tickora/skins/$skin/main.png")
  got=
  for _ in $(seq 1 300); do
    [[ -n $window ]] || break
    got=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
    [[ $got == "$want" ]] && break
    sleep 0.1
  done
  echo "$skin: window $got, face $want"
  [[ $got == "$want" ]] || problem "$skin: the installed clock's window is '$got', wanted $want"
  # The desktop matches the window to the menu entry and shows the theme's icon.
  if [[ -n $window ]]; then
    class=$(xprop -id "$window" WM_CLASS)
    [[ $class == 'WM_CLASS(STRING) = "com.velmarck.tickora", "com.velmarck.tickora"' ]] ||
      problem "$skin: $class"
    icons=$(xprop -id "$window" -notype 32c _NET_WM_ICON)
    icons=${icons:0:200}
    [[ $icons == "_NET_WM_ICON = 16, 16, "* || $icons == "_NET_WM_ICON = "[1-9]* ]] ||
      problem "$skin: the window has no icon: $icons"
  fi
  kill "$clock"
  wait "$clock" 2>/dev/null || true
  clock=
done
exit $fail
