#!/usr/bin/env bash
# Start-up cost of the program as a process: the CPU time Tarvo has used when
# its main window is mapped, against a bare Qt Widgets window (bare_window:
# one widget of the main window's compact size with the same three timers),
# and the same with a 100,000-row usage log.
#
#   bench/startup.sh [PROGRAM_FOLDER] [ROUNDS]
#
# PROGRAM_FOLDER is build/ unless given; it must hold bench/bare_window,
# bench/write_track_file and bench/startup_probe besides the program
#   cmake --build build --target tarvo TarvoTray bare_window write_track_file startup_probe
# ROUNDS is 15 unless given. Each round starts, in an order that turns from
# round to round, the bare window, Tarvo with the shipped database and Tarvo
# with the 100,000-row log, each from a fresh copy of the program folder, on
# an Xvfb display of the script's own. startup_probe stops each process the
# moment its window is mapped and reports the CPU time (user and system, all
# threads, in microseconds) and the wall time since it was started. The
# script prints the min and median of each and their ratios.
#
# Counted: everything the process does from exec on, the dynamic loader's
# work included. Left out: the X server's own work, disk reads (every file is
# in the page cache after an uncounted first start of each, as on a desktop
# that has run the program before), a window manager and a compositor (there is none on Xvfb), the tray icon's
# appearance in a real panel, and the one-off building of the log's date
# index on the first start after an update (the 100,000-row file already
# has it, as it has after that first start).
set -euo pipefail
program=$(cd "${1:-build}" && pwd)
rounds=${2:-15}
for tool in bare_window write_track_file startup_probe; do
  [ -x "$program/bench/$tool" ] || {
    echo "needs $program/bench/$tool: cmake --build $program --target tarvo TarvoTray bare_window write_track_file startup_probe" >&2
    exit 1
  }
done
probe="$program/bench/startup_probe"
. "$(dirname "$0")/../scripts/lib/xvfb-program.sh"
xvfb_program "$program"

"$program/bench/write_track_file" "$work/track.mdb"
figures="$work/figures"
: >"$figures"

# One start of KIND: fresh copy, the probe's "cpu wall" appended to figures.
start() {
  local kind=$1 run="$work/run" line
  rm -rf "$run"
  mkdir "$run"
  case $kind in
    bare)
      line=$(cd "$run" && "$probe" "Bare Window" 30 "$program/bench/bare_window" 2>/dev/null || true) ;;
    tarvo | tarvo100k)
      cp "$work/tarvo" "$work/libTarvoTray.so" "$run/"
      cp -r "$work/machine" "$run/"
      if [ "$kind" = tarvo ]; then cp "$work/tarvo.mdb" "$run/"; else cp "$work/track.mdb" "$run/tarvo.mdb"; fi
      line=$(cd "$run" && "$probe" "Tarvo" 30 ./tarvo 2>"$work/tarvo.out" || true) ;;
  esac
  [ -n "$line" ] || { echo "FAILED: $kind did not map its window" >&2; cat "$work/tarvo.out" >&2; exit 1; }
  echo "$kind $line" >>"$figures"
}

# A first start of each, not counted: it brings the files into the cache.
kinds=(bare tarvo tarvo100k)
for kind in "${kinds[@]}"; do start "$kind"; done
: >"$figures"
for round in $(seq "$rounds"); do
  for i in 0 1 2; do start "${kinds[$(( (round + i) % 3 ))]}"; done
done

# min and median of column COLUMN (2 cpu, 3 wall) of KIND's lines.
stat_of() {
  awk -v k="$1" -v c="$2" '$1 == k { print $c }' "$figures" | sort -g \
    | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%s %s\n", v[1], m }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "start-up to the mapped main window, $rounds rounds, interleaved (ms: min median)"
for column in 2 3; do
  [ "$column" = 2 ] && what="CPU " || what="wall"
  read -r bmin bmed < <(stat_of bare "$column")
  read -r tmin tmed < <(stat_of tarvo "$column")
  read -r kmin kmed < <(stat_of tarvo100k "$column")
  printf '%s  bare %6.1f %6.1f   tarvo %6.1f %6.1f   tarvo-100k %6.1f %6.1f\n' \
    "$what" "$bmin" "$bmed" "$tmin" "$tmed" "$kmin" "$kmed"
  printf '%s  tarvo/bare min %s median %s   tarvo-100k/tarvo min %s median %s\n' \
    "$what" "$(ratio "$tmin" "$bmin")" "$(ratio "$tmed" "$bmed")" "$(ratio "$kmin" "$tmin")" "$(ratio "$kmed" "$tmed")"
done
