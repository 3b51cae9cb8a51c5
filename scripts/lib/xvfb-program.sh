# Sourced by the scripts that run Tarvo on an X server of their own (the
# end-to-end checks of the tray and of the package, the idle CPU
# measurement, the pictures).
#
#   xvfb_display TOOL...
#
# checks that each TOOL is installed, makes a temporary folder $work and
# starts Xvfb on a free display, exported as DISPLAY. Whatever is started
# with its PID added to `pids` is ended, and $work removed, when the script
# ends.
#
#   xvfb_program PROGRAM_FOLDER TOOL...
#
# does the same and lays a fresh copy of the program folder (the program,
# its plug-in, the shipped database, the stand-in machine) into $work.
#
#   until_true SECONDS WHAT COMMAND...
#
# polls COMMAND every tenth of a second; when it never succeeds, says that
# WHAT did not come about, lists the windows on the display (and what
# Tarvo wrote to $work/tarvo.out) and fails.
xvfb_display() {
  local tool
  for tool in Xvfb "$@"; do
    command -v "$tool" >/dev/null || { echo "needs $tool (scripts/deps.sh installs it)" >&2; exit 1; }
  done

  work=$(mktemp -d)
  pids=()
  trap xvfb_program_finish EXIT

  local n=$(( 100 + $$ % 400 ))
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
  export DISPLAY=":$n"
  unset QT_QPA_PLATFORM
  local _
  for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "FAILED: the X server did not start" >&2
  exit 1
}

xvfb_program() {
  local program=$1; shift
  xvfb_display "$@"
  cp "$program/tarvo" "$program/libTarvoTray.so" "$work/"
  cp "$program/tarvo.mdb.shipped" "$work/tarvo.mdb"
  cp -r "$program/machine" "$work/"
}

until_true() {
  local seconds=$1 what=$2; shift 2
  for _ in $(seq $((seconds * 10))); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  echo "FAILED: $what" >&2
  echo "windows on the display:" >&2
  for w in $(xdotool search --all --onlyvisible --name '.*' 2>/dev/null); do
    echo "  $w '$(xdotool getwindowname "$w" 2>/dev/null)' pid $(xdotool getwindowpid "$w" 2>/dev/null) $(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/{print $2}')" >&2
  done
  if [ -s "$work/tarvo.out" ]; then
    echo "Tarvo's output:" >&2
    cat "$work/tarvo.out" >&2
  fi
  exit 1
}

xvfb_program_finish() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
