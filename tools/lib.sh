# Shared by tools/run and tools/test: installs what the build needs, builds,
# and starts (and later stops) the private Xvfb and Wine server the programs
# run on. Everything started here is stopped by its pid in timbus_cleanup.
# shellcheck shell=bash

TIMBUS_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TIMBUS_BUILD="${TIMBUS_BUILD_DIR:-$TIMBUS_ROOT/build}"
TIMBUS_PACKAGES=(g++-mingw-w64-x86-64 cmake wine wine64 fonts-wine xvfb xauth)
# tools/test also builds with clang, as a second compiler.
TIMBUS_TEST_PACKAGES=(clang)
# Bump when the prefix's settings change, so existing prefixes are set up again.
TIMBUS_PREFIX_VERSION=2

timbus_log() { printf '[timbus] %s\n' "$*" >&2; }

timbus_as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs only what is missing; apt-get update runs once, and only then.
timbus_ensure_packages() {
  local missing=() pkg
  for pkg in "${TIMBUS_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' \
      || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  timbus_log "installing: ${missing[*]}"
  timbus_as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive timbus_as_root apt-get install -y -qq "${missing[@]}" >/dev/null
}

# Configures once, then builds what changed. Warnings are errors here.
timbus_build() {
  timbus_build_in "$TIMBUS_BUILD" mingw-w64-x86_64 "$@"
}

# The program alone, with clang, into build-clang beside the main build.
timbus_build_clang() {
  timbus_build_in "$TIMBUS_BUILD-clang" clang-mingw-w64-x86_64 -DTIMBUS_BUILD_TESTS=OFF
}

timbus_build_in() {
  local dir="$1" toolchain="$2"
  shift 2
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$TIMBUS_ROOT" -B "$dir" \
      -DCMAKE_TOOLCHAIN_FILE="$TIMBUS_ROOT/cmake/$toolchain.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DTIMBUS_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
  fi
  cmake --build "$dir" -j "$(nproc)"
}

timbus_wine_env() {
  export WINEPREFIX="$TIMBUS_BUILD/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
}

TIMBUS_XVFB_PID=""

# A private X server on the first free display from :90 on.
timbus_start_xvfb() {
  local n
  for n in $(seq 90 190); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    TIMBUS_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$TIMBUS_XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$TIMBUS_XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
    TIMBUS_XVFB_PID=""
  done
  timbus_log "no free X display for Xvfb"
  return 1
}

timbus_reg() { wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1; }

# A prefix inside the build folder, set up once: Wine draws the window frames
# itself (no window manager), no crash dialogs, 96 DPI, Wine's own fonts.
timbus_setup_prefix() {
  local marker="$WINEPREFIX/.timbus-prefix-$TIMBUS_PREFIX_VERSION"
  [ -f "$marker" ] && return 0
  timbus_log "setting up the Wine prefix in $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # This Wine build does not find the fonts of its own data folder (Tahoma for
  # "MS Shell Dlg", Marlett for the caption buttons); the prefix's Fonts folder
  # is always searched.
  cp -f /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  timbus_reg 'HKCU\Software\Wine\X11 Driver' Managed REG_SZ N
  timbus_reg 'HKCU\Software\Wine\X11 Driver' Decorated REG_SZ N
  timbus_reg 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0
  timbus_reg 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD 96
  wineserver -w
  touch "$marker"
}

# Copies of the prefix at other DPIs, for the tests that lay the windows out
# there: build/wineprefix-120 and build/wineprefix-144.
TIMBUS_OTHER_DPIS=(120 144)
timbus_setup_dpi_prefixes() {
  local dpi dir marker
  for dpi in "${TIMBUS_OTHER_DPIS[@]}"; do
    dir="$WINEPREFIX-$dpi"
    marker="$dir/.timbus-dpi-$dpi-$TIMBUS_PREFIX_VERSION"
    [ -f "$marker" ] && continue
    timbus_log "setting up the Wine prefix in $dir"
    rm -rf "$dir"
    cp -a "$WINEPREFIX" "$dir"
    WINEPREFIX="$dir" timbus_reg 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$dpi"
    WINEPREFIX="$dir" wineserver -w
    touch "$marker"
  done
}

# A persistent Wine server for a prefix (default: $WINEPREFIX), stopped by
# timbus_cleanup. The first Wine program also starts Wine's background
# services, which keep their standard output open; start them here, on
# /dev/null, so that no later pipe (ctest's, or a | in a script) waits for them.
TIMBUS_WINESERVERS=()
timbus_start_wineserver() {
  local prefix="${1:-$WINEPREFIX}"
  WINEPREFIX="$prefix" wineserver -f -p >/dev/null 2>&1 &
  TIMBUS_WINESERVERS+=("$!:$prefix")
  WINEPREFIX="$prefix" wine reg query 'HKCU\Software\Wine' </dev/null >/dev/null 2>&1 || true
}

timbus_cleanup() {
  local entry pid prefix i
  for entry in "${TIMBUS_WINESERVERS[@]}"; do
    pid="${entry%%:*}"
    prefix="${entry#*:}"
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    for i in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  TIMBUS_WINESERVERS=()
  if [ -n "$TIMBUS_XVFB_PID" ]; then
    kill "$TIMBUS_XVFB_PID" 2>/dev/null || true
    wait "$TIMBUS_XVFB_PID" 2>/dev/null || true
    TIMBUS_XVFB_PID=""
  fi
}

# Converts a Linux path to the one Wine programs see.
timbus_winpath() { printf 'Z:%s' "$(realpath -m "$1")" | tr / '\\'; }
