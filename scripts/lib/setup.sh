# Shared by scripts/demo and scripts/test: installs what is missing from Debian's archive and
# prepares the Japanese locale that Wine's code page 932 and Japanese file names need.

MIROKAN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Packages for the native build and tests, the fuzz targets (clang's sanitizer and libFuzzer
# runtimes come with libclang-rt-dev, only recommended by clang), the icon tool (zlib), the
# cross build, the Wine harness (fonts-wine: Wine draws its caption buttons with its own
# font, or the close box shows a letter), the soak's plot (gnuplot) and the installer (nsis).
MIROKAN_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-dev
  googletest libgtest-dev libbenchmark-dev zlib1g-dev
  libgl1-mesa-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 fonts-wine xvfb xserver-xephyr xdotool x11-utils imagemagick locales
  fonts-ipafont-gothic fonts-liberation2
  gnuplot-nox
  nsis
)

# ImageMagick's own default font comes from a package a fresh machine lacks; this one comes
# with fonts-ipafont-gothic above (and has the Japanese glyphs too).
MIROKAN_FONT=/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf

MIROKAN_STEP="starting"
say() {
  MIROKAN_STEP="$*"
  printf '==> %s\n' "$*"
}
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Under `set -e` a failing command would end the script without a word: name the step it
# belonged to, the command and where it stands.
mirokan_report_failure() {
  printf 'error: step "%s" failed: `%s` exited with %s (%s line %s)\n' \
    "$MIROKAN_STEP" "$2" "$1" "$3" "$4" >&2
}
set -o errtrace
trap 'mirokan_report_failure $? "$BASH_COMMAND" "$(basename "${BASH_SOURCE[0]:-$0}")" "$LINENO"' ERR

as_root() {
  if [ "$(id -u)" = 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo "$@"
  else
    return 100
  fi
}

install_packages() {
  local missing=() package
  for package in "${MIROKAN_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  local status=0
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq || status=$?
  if [ $status -eq 0 ]; then
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >/dev/null || status=$?
  fi
  if [ $status -eq 100 ]; then
    printf 'These Debian packages are missing and neither root nor sudo is available:\n' >&2
    printf '  apt-get install %s\n' "${missing[*]}" >&2
    die "run that line as root, then start this script again"
  fi
  [ $status -eq 0 ] || die "apt-get could not install: ${missing[*]}"
}

# Wine reads its code page from the locale's name, but file names outside ASCII need the
# locale to exist on this machine.
ensure_japanese_locale() {
  locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' && return 0
  say "generating the ja_JP.UTF-8 locale"
  as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 ||
    die "could not generate the ja_JP.UTF-8 locale (run: localedef -i ja_JP -f UTF-8 ja_JP.UTF-8)"
}

mirokan_setup() {
  say "checking the Debian packages and the Japanese locale"
  install_packages
  ensure_japanese_locale
}
