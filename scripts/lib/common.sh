# Shared by the project's scripts: paths, builds, the choice of Windows architecture, and
# one Xvfb display with one persistent wineserver for the Windows programs. Source it; do
# not run it.

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# ccache: paths under the tree are hashed relative to it, so another checkout of the same
# sources (a CI clone, a second work tree) reuses the compiled objects.
export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=1
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# report_failures: for the scripts that stop at the first failing command (set -e): the
# command that ended the script is named on stderr, with its status and line, instead of
# the script ending without a word.
report_failures() {
  set -E
  trap 'report_failure_status=$?; echo "$(basename "$0"): failed (status $report_failure_status) at line $LINENO: $BASH_COMMAND" >&2' ERR
}

# wine_env ARCH: the Wine of one Windows architecture (win32 or win64), each with a prefix
# of its own in the tree. Sets WINEPREFIX, WINEARCH, WINELOADER and WINESERVER.
wine_env() {
  case "$1" in
    win32)
      export WINEPREFIX="$top/.wine" WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
      WINESERVER=/usr/lib/wine/wineserver32
      [ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
      export WINESERVER ;;
    win64)
      export WINEPREFIX="$top/.wine64" WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
      export WINESERVER=/usr/lib/wine/wineserver64 ;;
    *)
      echo "unknown Windows architecture '$1' (win32 or win64)" >&2
      return 1 ;;
  esac
}

# machine_runs_i386: whether this kernel executes 32-bit x86 programs at all (some have it
# switched off, and then 32-bit Wine cannot start). Runs a hand-made 84-byte static i386 ELF
# whose only instruction sequence is exit(42): no package needed.
machine_runs_i386() {
  local probe status
  probe=$(mktemp)
  python3 - "$probe" <<'PY'
import struct, sys
code = b"\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80"  # mov eax,1; mov ebx,42; int 0x80
base, size = 0x08048000, 52 + 32 + len(code)
header = b"\x7fELF\x01\x01\x01" + bytes(9) + struct.pack(
    "<HHIIIIIHHHHHH", 2, 3, 1, base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
segment = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
open(sys.argv[1], "wb").write(header + segment + code)
PY
  chmod +x "$probe"
  "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

# wine_runs ARCH: whether this machine's Wine runs a program of that architecture in its
# prefix (Wine without its 32-bit half exits 0 without running anything: prove it ran).
# The answer is kept for the rest of the script: each probe starts Wine afresh.
declare -A wine_runs_known=()
wine_runs() {
  if [ -z "${wine_runs_known[$1]:-}" ]; then
    if wine_probe "$1"; then wine_runs_known[$1]=yes; else wine_runs_known[$1]=no; fi
  fi
  [ "${wine_runs_known[$1]}" = yes ]
}
wine_probe() {
  (
    wine_env "$1" || exit 1
    [ -x "$WINELOADER" ] && [ -f "$WINEPREFIX/system.reg" ] || exit 1
    [ "$1" = win32 ] && ! machine_runs_i386 && exit 1
    out=$(timeout 120 "$WINELOADER" cmd /c echo lysora-wine-ok </dev/null 2>/dev/null | tr -d '\r')
    [ "$out" = "lysora-wine-ok" ]
  )
}

# windows_archs: the architectures whose Windows programs are run here, one per line.
# LYSORA_WINDOWS=win32|win64|both forces the choice; otherwise win32 where it runs (the
# 32-bit programs Lysora ships), else win64.
windows_archs() {
  case "${LYSORA_WINDOWS:-}" in
    win32|win64) echo "$LYSORA_WINDOWS" ;;
    both) echo win32; echo win64 ;;
    "") if wine_runs win32; then echo win32; else echo win64; fi ;;
    *) echo "LYSORA_WINDOWS must be win32, win64 or both (not '$LYSORA_WINDOWS')" >&2
       return 1 ;;
  esac
}

# setup_if_needed: installs packages and the Wine prefixes unless this tree already did.
setup_if_needed() {
  local stamp="$top/.wine-setup-done"
  if [ ! -f "$stamp" ] || [ "$top/scripts/setup" -nt "$stamp" ] \
     || [ "$top/scripts/lib/common.sh" -nt "$stamp" ]; then
    "$top/scripts/setup" || return 1
    touch "$stamp"
  fi
}

# configure_and_build DIR [cmake args...] [-- ninja targets...]
# Configures again whenever the cmake arguments differ from the last configure's.
configure_and_build() {
  local dir="$1"; shift
  local args=() targets=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do args+=("$1"); shift; done
  [ "${1:-}" = "--" ] && shift && targets=("$@")
  case "$dir" in /*) ;; *) dir="$top/$dir" ;; esac
  local wanted="${args[*]}"
  if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$dir/.configure-args" 2>/dev/null)" != "$wanted" ]; then
    cmake -S "$top" -B "$dir" -G Ninja "${args[@]}" >/dev/null || return 1
    printf '%s' "$wanted" >"$dir/.configure-args"
  fi
  ninja -C "$dir" "${targets[@]}"
}

# LYSORA_BUILD names the folder of the build trees (default build/), so that several
# checkouts' worth of work can build side by side without sharing a Ninja tree.
build_dir="${LYSORA_BUILD:-build}"
case "$build_dir" in /*) ;; *) build_dir="$top/$build_dir" ;; esac
build_host()  { configure_and_build "$build_dir/host" -DCMAKE_BUILD_TYPE=Debug "$@"; }
build_win64() {
  configure_and_build "$build_dir/win64" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-x86_64.cmake" "$@"
}
# The 32-bit build writes its reference tables and help pages with its own maketables.exe
# and makehelp.exe where 32-bit Wine runs, else with the 64-bit build's (build_win64 first):
# they are the same bytes.
build_win32() {
  local writer=()
  if ! wine_runs win32; then
    ninja -C "$build_dir/win64" maketables makehelp >/dev/null 2>&1 || build_win64 >/dev/null || return 1
    writer=(-DLYSORA_TABLE_WRITER="$top/scripts/wine-exec;win64;$build_dir/win64/bin/maketables.exe"
            -DLYSORA_HELP_WRITER="$top/scripts/wine-exec;win64;$build_dir/win64/bin/makehelp.exe")
  fi
  configure_and_build "$build_dir/win32" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" "${writer[@]}" "$@"
}
build_windows() { build_win64 "$@" && build_win32 "$@"; }

# start_display ARCH [WxH]: a private Xvfb display and a persistent wineserver for the
# Wine of ARCH; stop_display undoes both. Callers trap stop_display on EXIT so that a
# failure never leaves them running.
xvfb_pid=""
start_display() {
  local arch="$1" size="${2:-1280x1024}" n
  wine_env "$arch" || return 1
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
  # The printing tests print to a private CUPS queue.
  start_cups
  # A server told to stop a moment ago (the previous run's) may still be going: a new
  # persistent one starts only once it has gone.
  timeout 30 "$WINESERVER" -w || true
  if ! "$WINESERVER" -p; then
    echo "start_display: no wineserver could be started for $WINEPREFIX: another one still runs" \
         "(another run of scripts/test or scripts/run on this tree?)" >&2
    return 1
  fi
  # Start Wine's own services now, detached from our output: started by the first test
  # instead, they would inherit its output pipe and keep CTest waiting for ever.
  "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1
}

stop_display() {
  if [ -n "${WINESERVER:-}" ]; then
    # -k only asks the server to stop; -w waits until it has, so that the next run's server
    # can start at once.
    "$WINESERVER" -k 2>/dev/null || true
    timeout 30 "$WINESERVER" -w 2>/dev/null || true
  fi
  stop_cups
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}

# start_cups: a private CUPS server for the printing tests, with one PDF queue (cups-pdf)
# as its default printer; stop_cups ends it and removes its files. Programs reach it
# through CUPS_SERVER (Wine's printing included); finished jobs land as PDF files in
# LYSORA_PDF_DIR. Two more queues are named in the environment: LYSORA_MARGINS_QUEUE, a
# PDF queue whose A4 paper has unprintable margins (10 mm left and right, 20 mm top and
# bottom), and LYSORA_REJECT_QUEUE, a queue that refuses every job. Without cups or cups-pdf
# installed it does nothing (the printing test then fails and says why).
cups_pid=""
cups_dir=""
cups_queue=""
start_cups() {
  if ! command -v cupsd >/dev/null || [ ! -x /usr/lib/cups/backend/cups-pdf ]; then
    echo "start_cups: cups or printer-driver-cups-pdf is missing (scripts/setup installs them)" >&2
    return 0
  fi
  cups_dir=$(mktemp -d /tmp/lysora-cups.XXXXXX)
  chmod 0755 "$cups_dir"
  mkdir -p "$cups_dir"/{etc,spool,cache,state,log,tmp,pdf}
  chmod 1777 "$cups_dir/tmp" "$cups_dir/pdf"
  cat >"$cups_dir/etc/cupsd.conf" <<CONF
Listen $cups_dir/cups.sock
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$cups_dir/etc/cups-files.conf" <<CONF
ServerRoot $cups_dir/etc
RequestRoot $cups_dir/spool
CacheDir $cups_dir/cache
StateDir $cups_dir/state
TempDir $cups_dir/tmp
AccessLog $cups_dir/log/access_log
ErrorLog $cups_dir/log/error_log
PageLog $cups_dir/log/page_log
CONF
  # cups-pdf reads its settings from /etc/cups only, one file per queue: the queue's name
  # is this server's own, so that runs side by side never share a file.
  cups_queue="LysoraPDF_${cups_dir##*.}"
  local margins="LysoraMargins_${cups_dir##*.}" reject="LysoraReject_${cups_dir##*.}" queue
  for queue in "$cups_queue" "$margins"; do
    cat >"/etc/cups/cups-pdf-$queue.conf" <<CONF
Out $cups_dir/pdf
AnonDirName $cups_dir/pdf
UserUMask 0000
CONF
  done
  # A4 is 595 x 842 points; 10 mm is 28.35 points and 20 mm 56.69.
  sed 's|^\*ImageableArea A4/A4: .*|*ImageableArea A4/A4: "28.35 56.69 566.65 785.31"|' \
    /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd >"$cups_dir/margins.ppd"
  /usr/sbin/cupsd -f -c "$cups_dir/etc/cupsd.conf" -s "$cups_dir/etc/cups-files.conf" >/dev/null 2>&1 &
  cups_pid=$!
  export CUPS_SERVER="$cups_dir/cups.sock"
  for _ in $(seq 100); do [ -S "$CUPS_SERVER" ] && break; sleep 0.1; done
  if ! /usr/sbin/lpadmin -p "$cups_queue" -E -v "cups-pdf:/$cups_queue" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null \
       || ! /usr/sbin/lpadmin -d "$cups_queue"; then
    echo "start_cups: the PDF queue could not be set up" >&2
    return 0
  fi
  export LYSORA_PDF_DIR="$cups_dir/pdf"
  if /usr/sbin/lpadmin -p "$margins" -E -v "cups-pdf:/$margins" -P "$cups_dir/margins.ppd" 2>/dev/null; then
    export LYSORA_MARGINS_QUEUE="$margins"
  fi
  if /usr/sbin/lpadmin -p "$reject" -E -v "cups-pdf:/$reject" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null \
     && /usr/sbin/cupsreject -r "refused by the test server" "$reject" 2>/dev/null; then
    export LYSORA_REJECT_QUEUE="$reject"
  fi
}

stop_cups() {
  if [ -n "$cups_pid" ]; then
    kill "$cups_pid" 2>/dev/null || true
    wait "$cups_pid" 2>/dev/null || true
    cups_pid=""
  fi
  [ -n "$cups_dir" ] && rm -rf "$cups_dir"
  if [ -n "$cups_queue" ]; then
    local margins="LysoraMargins_${cups_queue##*_}"
    rm -f "/etc/cups/cups-pdf-$cups_queue.conf" /var/log/cups/cups-pdf-"$cups_queue"*_log \
      "/etc/cups/cups-pdf-$margins.conf" /var/log/cups/cups-pdf-"$margins"*_log
  fi
  cups_dir=""
  cups_queue=""
  unset CUPS_SERVER LYSORA_PDF_DIR LYSORA_MARGINS_QUEUE LYSORA_REJECT_QUEUE
}
