#!/usr/bin/env bash
# Idle CPU of the running program: the share of one core Tarvo uses while it
# only watches, offline and then with a line up, at the shipped settings.
#
#   bench/idle_cpu.sh [PROGRAM_FOLDER] [SECONDS]
#
# Starts a fresh copy of the program folder (build/ unless given) under its
# own Xvfb display, lets it settle, reads its CPU time (user and system, from
# /proc) over SECONDS (60 unless given) offline, then goes online on the
# stand-in's "Tarvo Demo" and does the same with the line up.
set -euo pipefail
program=${1:-build}
seconds=${2:-60}
. "$(dirname "$0")/../scripts/lib/xvfb-program.sh"
xvfb_program "$program" xdotool

(cd "$work" && exec ./tarvo >/dev/null 2>&1) & tarvo=$!; pids+=("$tarvo")
sleep 5

ticks_per_second=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$tarvo/stat"; }
# Prints the share of one core used over the next $seconds seconds.
measure() {
  local before after
  before=$(cpu_ticks)
  sleep "$seconds"
  after=$(cpu_ticks)
  awk -v t=$((after - before)) -v hz="$ticks_per_second" -v s="$seconds" \
    'BEGIN { printf "%.2f %% of a core (%d ticks of 1/%d s in %d s)\n", 100 * t / hz / s, t, hz, s }'
}

echo "offline:   $(measure)"

main=""
for w in $(xdotool search --all --onlyvisible --name '.*' 2>/dev/null); do
  [ "$(xdotool getwindowname "$w" 2>/dev/null)" = Tarvo ] && main=$w && break
done
[ -n "$main" ] || { echo "the main window did not show" >&2; exit 1; }
xdotool windowfocus "$main"; sleep 0.3; xdotool key alt+g
for _ in $(seq 300); do
  xdotool search --all --onlyvisible --name '^Connected to Tarvo Demo$' >/dev/null 2>&1 && break
  sleep 0.1
done
xdotool search --all --onlyvisible --name '^Connected to Tarvo Demo$' >/dev/null 2>&1 \
  || { echo "the line did not come up" >&2; exit 1; }
sleep 3
echo "connected: $(measure)"
