#!/bin/sh
# Installs the build into a temporary prefix, checks what a user gets, and
# starts the installed launcher under xvfb as the menu entry would, with a
# temporary home folder, until the login dialog is on the screen.
#   check_install.sh CMAKE BUILD_DIR MKDB BINDIR LIBDIR DATADIR
set -eu

if [ -z "${JIZHANG_UNDER_XVFB:-}" ]; then
  exec env JIZHANG_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh "$0" "$@"
fi

cmake=$1 build=$2 mkdb=$3 bindir=$4 libdir=$5 datadir=$6
tmp=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -s "$tmp/program.log" ] && sed 's/^/  program: /' "$tmp/program.log" >&2
  exit 1
}

# Installed, then moved: the launcher must not depend on where it was put.
"$cmake" --install "$build" --prefix "$tmp/installed" >/dev/null
mv "$tmp/installed" "$tmp/moved"
prefix=$tmp/moved
delivered=$prefix/$datadir/jizhang/fmy.dll

[ -x "$prefix/$bindir/jizhang" ] || fail "$bindir/jizhang is missing or not executable"
[ "$(head -c 2 "$prefix/$bindir/jizhang")" = "#!" ] || fail "$bindir/jizhang is not the launcher script"
[ -x "$prefix/$libdir/jizhang/jizhang" ] || fail "$libdir/jizhang/jizhang is missing"
[ -s "$delivered" ] || fail "$datadir/jizhang/fmy.dll is missing"
desktop=$prefix/$datadir/applications/jizhang.desktop
[ -f "$desktop" ] || fail "the .desktop entry is missing"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses the .desktop entry"
grep -qx 'Exec=jizhang' "$desktop" || fail "the menu entry does not start the launcher"
[ -s "$prefix/$datadir/icons/hicolor/scalable/apps/jizhang.svg" ] || fail "the icon is missing"

# The login dialog: the application's title at its fixed size, mapped. The
# main window has the same title but another size; a message box another title.
title=栗子家庭记账本2012
login_shown() {
  xwininfo -root -tree 2>/dev/null | grep -F "\"$title\"" | grep ' 468x263+' | awk '{print $1}' |
    while read -r id; do
      xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id"
    done | grep -q .
}

# Starts the launcher with the given environment (as `env` arguments), waits
# up to 20 s for the login dialog and ends the program.
start_until_login() {
  : >"$tmp/program.log"
  env -u XDG_DATA_HOME QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$tmp/run" "$@" "$prefix/$bindir/jizhang" >"$tmp/program.log" 2>&1 &
  pid=$!
  i=0
  until login_shown; do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" && code=0 || code=$?; pid=; fail "the program ended (exit code $code) before the login showed"; }
    i=$((i + 1))
    [ "$i" -le 100 ] || fail "no login dialog within 20 s; on the screen:
$(xwininfo -root -tree | grep -F '": (' || true)"
    sleep 0.2
  done
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}

# SQLCipher keeps a file's random salt in its first 16 bytes, and the
# program's writes at start keep it: equal salts mean one file and its copy.
same_file() { cmp -s -n 16 "$1" "$2"; }

# First start: no data folder yet; the delivered file is copied there.
mkdir "$tmp/home"
mkdir -m 700 "$tmp/run"
data=$tmp/home/.local/share/jizhang
start_until_login HOME="$tmp/home"
[ -f "$data/fmy.dll" ] || fail "the first start left no fmy.dll in $data"
same_file "$data/fmy.dll" "$delivered" || fail "$data/fmy.dll is not the delivered file"
[ -z "$(find "$data" -maxdepth 1 -name '.fmy.dll.*')" ] || fail "a temporary copy was left in $data"

# The household's own file is never replaced, also when another one would
# open just as well. XDG_DATA_HOME names the folder; HOME is a decoy.
"$mkdb" --force "$data/fmy.dll" >/dev/null
cp "$data/fmy.dll" "$tmp/households.dll"
mkdir "$tmp/decoy"
start_until_login HOME="$tmp/decoy" XDG_DATA_HOME="$tmp/home/.local/share"
same_file "$data/fmy.dll" "$tmp/households.dll" || fail "the household's fmy.dll was replaced"
[ ! -e "$tmp/decoy/.local/share/jizhang" ] || fail "XDG_DATA_HOME was not used"

echo "install: ok"
