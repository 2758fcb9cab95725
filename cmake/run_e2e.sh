#!/usr/bin/env bash
# Runs one end-to-end test program under Wine in a fresh folder of its own.
# Usage: run_e2e.sh TEST_EXE BIN_DIR RUN_DIR [--file PATH]... [gtest arguments...]
# Each --file PATH is copied into the folder too.
set -u
exe=$1 bin=$2 run=$3
shift 3
files=()
while [ "${1:-}" = --file ]; do
  files+=("$2")
  shift 2
done
here=$(cd "$(dirname "$0")" && pwd)
: "${MIROKAN_WINEPREFIX:=$(cd "$bin/.." && pwd)/wineprefix}"
. "$here/wine_env.sh"

rm -rf "$run"
mkdir -p "$run"
cp "$exe" "$run/"
for program in Mirokan.scr Mirokan.data MirokanWatch.exe; do
  [ -f "$bin/$program" ] && cp "$bin/$program" "$run/"
done
for file in ${files[@]+"${files[@]}"}; do
  cp "$file" "$run/" || exit 1
done

trap mirokan_wine_down EXIT
mirokan_wine_up || exit 1
# Whatever another test left on this prefix must not answer our window searches.
wineserver -k >/dev/null 2>&1 || true
# Nor its screen-saver settings (a test stopped half-way cannot put them back).
wine reg import "$here/e2e_desktop_reset.reg" >/dev/null 2>&1 || true

# A test may ask for a scaled screen (MIROKAN_E2E_LOGPIXELS=144); Wine takes the scale from
# the prefix when its processes start, so it is set before the test and removed after.
if [ -n "${MIROKAN_E2E_LOGPIXELS:-}" ]; then
  dpi_key='HKCU\Control Panel\Desktop'
  wine reg add "$dpi_key" /v LogPixels /t REG_DWORD /d "$MIROKAN_E2E_LOGPIXELS" /f >/dev/null 2>&1
  trap 'wine reg delete "$dpi_key" /v LogPixels /f >/dev/null 2>&1; mirokan_wine_down' EXIT
fi

cd "$run"
# Wine's own stderr (its debug channels, for every process the test starts) is also kept in
# the test's folder, where a test may read a trace it asked for.
wine "./$(basename "$exe")" --gtest_color=no "$@" 2> >(tee "$run/wine-stderr.log" >&2)
status=$?
exit $status
