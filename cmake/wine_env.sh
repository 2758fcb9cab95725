# Sourced by the end-to-end runner and scripts/demo: a private Wine prefix under the build
# tree, a Japanese locale (ANSI code page 932), quiet Wine and, unless MIROKAN_E2E_DISPLAY
# names one, a private virtual X screen.
#
# MIROKAN_MONITORS=2 asks for two monitors side by side instead of one: 1280 x 800 at 0,0
# (the primary) and 1024 x 768 at 1280,0. Xvfb alone shows Wine one monitor, so a nested
# Xephyr with two Xinerama screens runs inside it, and Wine reads the monitors through
# Xinerama (UseXRandR=N) in a prefix of its own ("-two-monitors" appended to the folder),
# which leaves the one-monitor prefix of every other run untouched.
#
# Needs: MIROKAN_WINEPREFIX (the prefix folder). Provides: mirokan_wine_up, mirokan_wine_down.

mirokan_two_monitors() { [ "${MIROKAN_MONITORS:-1}" = 2 ]; }

mirokan_wine_env() {
  export WINEPREFIX="$MIROKAN_WINEPREFIX"
  mirokan_two_monitors && WINEPREFIX="$MIROKAN_WINEPREFIX-two-monitors"
  export WINEARCH=win64
  export WINEDEBUG="${MIROKAN_WINEDEBUG:--all}"
  # No Mono or Gecko install prompts, no crash dialogs waiting for a click.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # Wine takes its ANSI code page from LC_ALL when the locale is not generated here.
  # (The braces keep bash's own warning about the ungenerated locale quiet.)
  { export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8; } 2>/dev/null
  unset WINELOADERNOEXEC
}

# Starts the X server "$1" with the arguments "${@:2}" on a free display number; sets DISPLAY
# and MIROKAN_X_PID. A nested server (Xephyr) opens on the DISPLAY in force when it starts.
mirokan_start_x() {
  local n i
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    "$1" ":$n" "${@:2}" -nolisten tcp -noreset >/dev/null 2>&1 &
    MIROKAN_X_PID=$!
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$MIROKAN_X_PID" 2>/dev/null || break
      sleep 0.05
    done
  done
  echo "could not start $1" >&2
  return 1
}

# The faces the dialogs ask for, mapped to Debian's fonts of the same metrics, so the
# pictures show the real look: the Japanese proportional gothic and the Times serif.
mirokan_map_fonts() {
  local key='HKCU\Software\Wine\Fonts\Replacements' face
  for face in 'ＭＳ Ｐゴシック' 'MS PGothic'; do
    wine reg add "$key" /v "$face" /t REG_SZ /d 'IPAPGothic' /f >/dev/null 2>&1 || return 1
  done
  wine reg add "$key" /v 'Times New Roman' /t REG_SZ /d 'Liberation Serif' /f >/dev/null 2>&1
}

mirokan_wine_up() {
  mirokan_wine_env
  if [ -n "${MIROKAN_E2E_DISPLAY:-}" ]; then
    export DISPLAY="$MIROKAN_E2E_DISPLAY"
  else
    local size="${MIROKAN_SCREEN:-1280x800x24}"
    mirokan_two_monitors && size=2400x900x24  # room for both nested screens
    mirokan_start_x Xvfb -screen 0 "$size" || return 1
    MIROKAN_XVFB_PID=$MIROKAN_X_PID
  fi
  if mirokan_two_monitors; then
    # On a real display the two monitors open as windows on it.
    mirokan_start_x Xephyr -screen 1280x800+0+0 -screen 1024x768+1280+0 +xinerama || return 1
    MIROKAN_XEPHYR_PID=$MIROKAN_X_PID
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  # The prefix is made once; the lock keeps two runners from making it at the same time.
  (
    flock 9
    # The marker names the prefix's recipe: a prefix made by an older one is made anew.
    if [ ! -f "$WINEPREFIX/.mirokan-ready-3" ]; then
      rm -rf "$WINEPREFIX"
      wineboot -i >/dev/null 2>&1 || exit 1
      # Wine draws caption buttons with its own Marlett (Debian's fonts-wine) but looks for it
      # only among the prefix's fonts; without it the close box shows a letter.
      if [ -r /usr/share/wine/fonts/marlett.ttf ]; then
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" || exit 1
      fi
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      mirokan_map_fonts
      if mirokan_two_monitors; then
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null 2>&1 || exit 1
      fi
      wineserver -w
      touch "$WINEPREFIX/.mirokan-ready-3"
    fi
  ) 9>"$WINEPREFIX.lock" || { echo "could not create the Wine prefix $WINEPREFIX" >&2; return 1; }
}

mirokan_wine_down() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${MIROKAN_XEPHYR_PID:-}" ]; then
    kill "$MIROKAN_XEPHYR_PID" 2>/dev/null || true
    wait "$MIROKAN_XEPHYR_PID" 2>/dev/null || true
    unset MIROKAN_XEPHYR_PID
  fi
  if [ -n "${MIROKAN_XVFB_PID:-}" ]; then
    kill "$MIROKAN_XVFB_PID" 2>/dev/null || true
    wait "$MIROKAN_XVFB_PID" 2>/dev/null || true
    unset MIROKAN_XVFB_PID
  fi
}
