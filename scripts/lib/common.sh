# Shared by the project's scripts: paths, builds, and one Xvfb display with one persistent
# wineserver for the Windows programs. Source it; do not run it.

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$top/.wine}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# setup_if_needed: installs packages and the Wine prefix unless this tree already did.
setup_if_needed() {
  local stamp="$WINEPREFIX/.lysora-setup-done"
  if [ ! -f "$stamp" ] || [ "$top/scripts/setup" -nt "$stamp" ]; then
    "$top/scripts/setup"
    touch "$stamp"
  fi
}

# configure_and_build DIR [cmake args...] [-- ninja targets...]
configure_and_build() {
  local dir="$1"; shift
  local args=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do args+=("$1"); shift; done
  [ "${1:-}" = "--" ] && shift && targets=("$@")
  case "$dir" in /*) ;; *) dir="$top/$dir" ;; esac
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$top" -B "$dir" -G Ninja "${args[@]}" >/dev/null
  fi
  ninja -C "$dir" "${targets[@]}"
}

# LYSORA_BUILD names the folder of the two build trees (default build/), so that several
# checkouts' worth of work can build side by side without sharing a Ninja tree.
build_dir="${LYSORA_BUILD:-build}"
case "$build_dir" in /*) ;; *) build_dir="$top/$build_dir" ;; esac
build_host()  { configure_and_build "$build_dir/host" -DCMAKE_BUILD_TYPE=Debug "$@"; }
build_win32() {
  configure_and_build "$build_dir/win32" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" "$@"
}

# start_display [WxH]: a private Xvfb display and a persistent wineserver; stop_display
# undoes both. Callers trap stop_display on EXIT so a failure never leaves them running.
xvfb_pid=""
start_display() {
  local size="${1:-1280x1024}" n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  if [ ! -e "/tmp/.X11-unix/X$n" ]; then
    echo "Xvfb did not start on :$n" >&2
    return 1
  fi
  export DISPLAY=":$n"
  wineserver -p
  # Start Wine's own services now, detached from our output: started by the first test
  # instead, they would inherit its output pipe and keep CTest waiting for ever.
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

stop_display() {
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}
