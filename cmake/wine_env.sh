# Sourced by the end-to-end runner and scripts/demo: a private Wine prefix under the build
# tree, a Japanese locale (ANSI code page 932), quiet Wine and, unless MIROKAN_E2E_DISPLAY
# names one, a private virtual X screen.
#
# Needs: MIROKAN_WINEPREFIX (the prefix folder). Provides: mirokan_wine_up, mirokan_wine_down.

mirokan_wine_env() {
  export WINEPREFIX="$MIROKAN_WINEPREFIX"
  export WINEARCH=win64
  export WINEDEBUG="${MIROKAN_WINEDEBUG:--all}"
  # No Mono or Gecko install prompts, no crash dialogs waiting for a click.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # Wine takes its ANSI code page from LC_ALL when the locale is not generated here.
  # (The braces keep bash's own warning about the ungenerated locale quiet.)
  { export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8; } 2>/dev/null
  unset WINELOADERNOEXEC
}

# Starts Xvfb on a free display number; sets DISPLAY and MIROKAN_XVFB_PID.
mirokan_start_xvfb() {
  local size="${MIROKAN_SCREEN:-1280x800x24}" n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "$size" -nolisten tcp -noreset >/dev/null 2>&1 &
    MIROKAN_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$MIROKAN_XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
  done
  echo "could not start Xvfb" >&2
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
    mirokan_start_xvfb || return 1
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  # The prefix is made once; the lock keeps two runners from making it at the same time.
  (
    flock 9
    # The marker names the prefix's recipe: a prefix made by an older one is made anew.
    if [ ! -f "$WINEPREFIX/.mirokan-ready-2" ]; then
      rm -rf "$WINEPREFIX"
      wineboot -i >/dev/null 2>&1 || exit 1
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      mirokan_map_fonts
      wineserver -w
      touch "$WINEPREFIX/.mirokan-ready-2"
    fi
  ) 9>"$WINEPREFIX.lock" || { echo "could not create the Wine prefix $WINEPREFIX" >&2; return 1; }
}

mirokan_wine_down() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${MIROKAN_XVFB_PID:-}" ]; then
    kill "$MIROKAN_XVFB_PID" 2>/dev/null || true
    wait "$MIROKAN_XVFB_PID" 2>/dev/null || true
    unset MIROKAN_XVFB_PID
  fi
}
