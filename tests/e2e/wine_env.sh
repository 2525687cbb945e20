#!/usr/bin/env bash
# One Xvfb display and one wineserver for a whole test run.
#   wine_env.sh start STATE_DIR   creates the prefix once, starts Xvfb and a persistent wineserver
#   wine_env.sh stop STATE_DIR    stops both
#   wine_env.sh env STATE_DIR     prints the environment for the scenarios (eval it)
set -euo pipefail
cmd=$1
state=$(realpath -m "$2")
mkdir -p "$state"

export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX="$state/prefix"

display_file="$state/display"

print_env() {
  echo "export WINEARCH=$WINEARCH WINEDEBUG=$WINEDEBUG WINEPREFIX='$WINEPREFIX'"
  echo "export WINEDLLOVERRIDES='$WINEDLLOVERRIDES'"
  echo "export DISPLAY=$(cat "$display_file")"
}

case "$cmd" in
  start)
    if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
      wineserver -k 2>/dev/null || true
      kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
      sleep 0.5
    fi
    # A free display number.
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    echo ":$n" >"$display_file"
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ ! -f "$WINEPREFIX/.qp-ready" ]; then
      rm -rf "$WINEPREFIX"
      wineboot -i >"$state/wineboot.log" 2>&1 || true
      wineserver -w
      # Without a window manager, hiding a window waits for one; unmanaged windows do not.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.qp-ready"
    fi
    # Wine does not find its own fonts (fonts-wine) where Debian puts them; without
    # them "MS Sans Serif" falls to a wider face, the dialogs' texts are clipped and
    # the caption buttons lose their glyphs.
    if [ -d /usr/share/wine/fonts ]; then
      cp -n /usr/share/wine/fonts/*.fon /usr/share/wine/fonts/*.ttf \
        "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    wineserver -p </dev/null >/dev/null 2>&1 || true
    # The first program starts Wine's services, which keep the file descriptors
    # they inherit: start them here with none of the test runner's.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    if [ -f "$state/xvfb.pid" ]; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$state/xvfb.pid"
    ;;
  env)
    print_env
    ;;
  *)
    echo "usage: $0 start|stop|env STATE_DIR" >&2
    exit 2
    ;;
esac
