# Sourced by the test and demo commands: a private 32-bit Wine prefix, one Xvfb and one
# wineserver for the whole run, torn down by wine_env_stop (call it from a trap).
#   wine_env_fixed_layout "$0" "$@"  runs the calling command again without address
#                                  randomisation (see below)
#   wine_env_layout_summary        says, when it could not be switched off, so (for the end of
#                                  a command's output)
#   wine_env_traps [hook]          on exit: the hook, wine_env_stop, the layout summary; an
#                                  interrupt or TERM ends the command (and so runs them)
#   wine_env_arch                  i686 when this machine runs 32-bit Wine, else x86_64
#                                  (ZEL_WINE_ARCH chooses)
#   wine_env_init <build-dir> <arch>  exports the variables (no side effects)
#   wine_env_make_prefix           creates the prefix anew (about 7 s)
#   wine_env_start                 starts Xvfb, the wineserver, one warm-up process and the
#                                  idle one that holds the session
#   wine_env_stop                  stops them again

wine_env_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# The Wine loaders of this system come without their preloader, so the places a new Wine
# process needs at fixed addresses (the shared user data at 0x7ffe0000) are now and then
# already taken by a mapping the kernel placed at random: such a start ends with status 1
# before the program runs ("failed to map the shared user data: c0000018"), about one 64-bit
# start in four thousand. Without address randomisation every start gets the same layout.
# Called first by each command that runs Wine: wine_env_fixed_layout "$0" "$@" runs the
# command again under setarch -R, once; its children inherit the setting. Whether it holds is
# read from the process's own personality, never from what a parent claims: a container may
# refuse the switch, and a program in between may reset it.
wine_env_layout_fixed() {
  local persona
  read -r persona </proc/self/personality 2>/dev/null || return 1
  (( (16#$persona & 0x0040000) != 0 ))  # ADDR_NO_RANDOMIZE
}

wine_env_fixed_layout() {
  wine_env_layout_note=""
  wine_env_layout_fixed && return 0
  local refusal
  # The marker holds this process's id: the command runs again once, and a child that lost the
  # setting still tries for itself.
  if [ "${ZEL_FIXED_LAYOUT_TRIED:-}" != "$$" ]; then
    if refusal=$(setarch "$(uname -m)" -R true 2>&1); then
      export ZEL_FIXED_LAYOUT_TRIED=$$
      exec setarch "$(uname -m)" -R bash "$@"
    fi
  else
    refusal="setarch -R ran, yet the process still has address randomisation"
  fi
  wine_env_layout_note="address randomisation could not be switched off here (${refusal:-setarch -R failed}):
  a Wine start may now and then end with status 1 before its program runs (\"failed to map the
  shared user data\"), and a test then fails for that reason alone"
}

wine_env_layout_summary() {
  [ -z "${wine_env_layout_note:-}" ] || echo "wine: $wine_env_layout_note" >&2
}

wine_env_traps() {
  wine_env_exit_hook=${1:-}
  trap 'wine_env_on_exit' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

wine_env_on_exit() {
  [ -z "${wine_env_exit_hook:-}" ] || "$wine_env_exit_hook"
  wine_env_stop
  wine_env_layout_summary
}

wine_env_arch() {
  # ZEL_WINE_ARCH=x86_64 runs the 64-bit road on a machine that runs both, as one without
  # 32-bit code would.
  if [ -n "${ZEL_WINE_ARCH:-}" ]; then echo "$ZEL_WINE_ARCH"; return; fi
  # Some kernels run no 32-bit code at all: the 32-bit loader then fails with ENOEXEC.
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi
}

wine_env_init() {
  # Not exported: a command stops only the Wine it set up itself, never the server of a run
  # it was started from (that run's variables reach it through the environment).
  wine_env_owned=1
  export WINEPREFIX="$1/wineprefix-$2"
  if [ "$2" = i686 ]; then
    export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
  else
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  fi
  export WINEDEBUG=-all,err+module
  # No HTML engine or .NET installer may pop up; the prefix keeps these overrides.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # The programs' texts are Chinese: code page 936. Wine takes it from the locale name even
  # where that locale is not generated, but only LC_ALL outranks the caller's LC_* settings.
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  wine_env_display_file="$1/.xvfb-display"
  wine_env_pid_file="$1/.xvfb-pid"
  wine_env_hold_file="$1/.wine-hold"
}

wine_env_make_prefix() {
  "$WINESERVER" -k >/dev/null 2>&1 && "$WINESERVER" -w >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  "$WINELOADER" wineboot -i >/dev/null 2>&1 || { echo "wine: creating the prefix $WINEPREFIX failed" >&2; return 1; }
  "$WINESERVER" -w
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true
  for f in /usr/share/fonts/truetype/liberation/*.ttf /usr/share/fonts/truetype/wqy/*.tt[cf]; do
    [ -f "$f" ] && cp "$f" "$fonts/"
  done
  local reg="Z:$wine_env_here/prefix.reg"
  "$WINELOADER" regedit /S "${reg//\//\\}" >/dev/null 2>&1 \
    || { echo "wine: importing prefix.reg failed" >&2; return 1; }
  "$WINESERVER" -w
}

# Starts an Xvfb of this run's own on the first free display from :91. A display whose socket
# exists may belong to another run whose Xvfb won the lock a moment before ours: a display is
# ours only once its lock names our server's process and that server is alive.
wine_env_start_xvfb() {
  local n i pid owner
  for n in $(seq "${ZEL_XVFB_FIRST:-91}" "${ZEL_XVFB_LAST:-140}"); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    pid=$!
    for i in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      owner=$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)
      if [ "$owner" = "$pid" ] && [ -e "/tmp/.X11-unix/X$n" ]; then
        echo "$pid" >"$wine_env_pid_file"
        export DISPLAY=":$n"
        echo "$DISPLAY" >"$wine_env_display_file"
        return 0
      fi
      sleep 0.1
    done
    # Lost the lock to another server, or never got ready.
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  echo "wine: could not start Xvfb on any display from :${ZEL_XVFB_FIRST:-91} to :${ZEL_XVFB_LAST:-140}" >&2
  return 1
}

wine_env_start() {
  unset DISPLAY
  wine_env_start_xvfb || return 1
  # A server left over from an interrupted run would refuse to make room for ours.
  "$WINESERVER" -k >/dev/null 2>&1 && "$WINESERVER" -w >/dev/null 2>&1
  "$WINESERVER" -p || { echo "wine: could not start the wineserver" >&2; return 1; }
  # The first process after a fresh wineserver can hang; let a throw-away one take that.
  timeout 60 "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1 || true
  # Whenever no program runs, Wine closes the desktop, and a program starting while it goes
  # loses its windows (X BadWindow). One idle console program holds the session for the
  # whole run: it waits for a line from a pipe that no one writes to.
  rm -f "$wine_env_hold_file"
  mkfifo "$wine_env_hold_file" || return 1
  exec {wine_env_hold_fd}<>"$wine_env_hold_file"
  "$WINELOADER" cmd /c "set /p line=" <"$wine_env_hold_file" >/dev/null 2>&1 &
}

wine_env_stop() {
  [ -n "${wine_env_owned:-}" ] && [ -n "${WINESERVER:-}" ] || return 0
  "$WINESERVER" -k >/dev/null 2>&1 && timeout 20 "$WINESERVER" -w >/dev/null 2>&1
  if [ -n "${wine_env_hold_fd:-}" ]; then
    exec {wine_env_hold_fd}>&-
    unset wine_env_hold_fd
  fi
  rm -f "$wine_env_hold_file"
  if [ -f "$wine_env_pid_file" ]; then
    local pid
    pid=$(cat "$wine_env_pid_file")
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -f "$wine_env_pid_file" "$wine_env_display_file"
  fi
  return 0
}
