#!/usr/bin/env bash
# Idle CPU of the running program: the share of one core Tarvo uses while it
# only watches, offline and then with a line up, at the shipped settings,
# held against a bare Qt Widgets window with the same three timers (the
# shipped monitor step of 500 ms, the one-second timer and the stand-in
# machine's 200 ms) measured over the very same seconds.
#
#   bench/idle_cpu.sh [PROGRAM_FOLDER] [SECONDS] [SAMPLES]
#
# Starts a fresh copy of the program folder (build/ unless given) and the
# bare window under one Xvfb display of its own, lets them settle, then takes
# SAMPLES (7 unless given) samples of SECONDS (60 unless given) offline; then
# goes online on the stand-in's "Tarvo Demo" and does the same with the line
# up. Each sample reads both processes' CPU time (every thread, user and
# system, in nanoseconds from /proc/PID/task/*/schedstat), their context
# switches (a thread switched out once per wakeup) and, for comparison with
# figures taken before, the kernel's tick-sampled user and system time
# (/proc/PID/stat, in 1/100 s: a process that wakes just when the tick does
# is charged more than it ran); the figures are the medians over the
# samples.
#
# What it leaves out: the X server's own CPU for either process, and the
# desktop's (there is none); a single run on a busy machine still moves by
# a few hundredths of a percent, which is why the bare window shares every
# second with the program.
set -euo pipefail
program=${1:-build}
seconds=${2:-60}
samples=${3:-7}
. "$(dirname "$0")/../scripts/lib/xvfb-program.sh"
xvfb_program "$program" xdotool g++ pkg-config

cat >"$work/bare.cpp" <<'EOF'
#include <QApplication>
#include <QTimer>
#include <QWidget>
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("Bare"));
    w.resize(400, 300);
    w.show();
    int ticks = 0;
    QTimer step, second, line;
    QObject::connect(&step, &QTimer::timeout, [&] { ++ticks; });
    QObject::connect(&second, &QTimer::timeout, [&] { ++ticks; });
    QObject::connect(&line, &QTimer::timeout, [&] { ++ticks; });
    step.start(500);
    second.start(1000);
    line.start(200);
    return app.exec();
}
EOF
# shellcheck disable=SC2046
g++ -O2 -fPIC -std=c++17 -o "$work/bare" "$work/bare.cpp" $(pkg-config --cflags --libs Qt6Widgets)

(cd "$work" && exec ./tarvo >/dev/null 2>&1) & tarvo=$!; pids+=("$tarvo")
"$work/bare" >/dev/null 2>&1 & bare=$!; pids+=("$bare")
sleep 5
ticks_per_second=$(getconf CLK_TCK)

# Nanoseconds on a CPU and context switches, summed over the threads.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'; }
ticks() { awk '{ print $14 + $15 }' /proc/"$1"/stat; }
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { s += $2 } END { print s + 0 }'; }

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Takes the samples and prints the medians: Tarvo's share of a core,
# wakeups a second and tick-sampled share, then the bare window's, then the
# ratio of the shares.
measure() {
  local i t0 t1 b0 b1 ts0 ts1 bs0 bs1 tk0 tk1 bk0 bk1 out=""
  for i in $(seq "$samples"); do
    t0=$(cpu_ns "$tarvo"); b0=$(cpu_ns "$bare"); ts0=$(switches "$tarvo"); bs0=$(switches "$bare")
    tk0=$(ticks "$tarvo"); bk0=$(ticks "$bare")
    sleep "$seconds"
    t1=$(cpu_ns "$tarvo"); b1=$(cpu_ns "$bare"); ts1=$(switches "$tarvo"); bs1=$(switches "$bare")
    tk1=$(ticks "$tarvo"); bk1=$(ticks "$bare")
    out+="$((t1 - t0)) $((b1 - b0)) $((ts1 - ts0)) $((bs1 - bs0)) $((tk1 - tk0)) $((bk1 - bk0))"$'\n'
  done
  local tp bp tw bw tk bk
  tp=$(awk -v s="$seconds" 'NF { print 100 * $1 / 1e9 / s }' <<<"$out" | median)
  bp=$(awk -v s="$seconds" 'NF { print 100 * $2 / 1e9 / s }' <<<"$out" | median)
  tw=$(awk -v s="$seconds" 'NF { print $3 / s }' <<<"$out" | median)
  bw=$(awk -v s="$seconds" 'NF { print $4 / s }' <<<"$out" | median)
  tk=$(awk -v s="$seconds" -v hz="$ticks_per_second" 'NF { print 100 * $5 / hz / s }' <<<"$out" | median)
  bk=$(awk -v s="$seconds" -v hz="$ticks_per_second" 'NF { print 100 * $6 / hz / s }' <<<"$out" | median)
  awk -v tp="$tp" -v bp="$bp" -v tw="$tw" -v bw="$bw" -v tk="$tk" -v bk="$bk" -v n="$samples" -v s="$seconds" \
    -v all="$(awk -v s="$seconds" 'NF { printf "%.3f/%.3f ", 100 * $1 / 1e9 / s, 100 * $2 / 1e9 / s }' <<<"$out")" \
    'BEGIN { printf "Tarvo %.3f %% of a core (tick-sampled %.3f %%), %.1f wakeups/s; bare window %.3f %% (%.3f %%), %.1f wakeups/s; ratio %.2f (medians of %d x %d s; samples Tarvo/bare: %s)\n", tp, tk, tw, bp, bk, bw, (bp > 0 ? tp / bp : 0), n, s, all }'
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
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
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
