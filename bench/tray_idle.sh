#!/usr/bin/env bash
# Idle cost of VXTray with all of the suite's services up: CPU seconds, wake-ups (context
# switches of all its threads) per second and resident memory over a quiet period.
# Usage: bench/tray_idle.sh BIN_DIR [SECONDS]   (a release build: build/release/bin)
set -euo pipefail
bin="${1:?usage: bench/tray_idle.sh BIN_DIR [SECONDS]}"
seconds="${2:-60}"
work="$(mktemp -d)"
export VXTRAY_PREFIX="$work/prefix" QT_QPA_PLATFORM=offscreen

"$bin/suite-sim" >/dev/null &
sim=$!
"$bin/VXTray" 2>/dev/null &
tray=$!
trap 'kill -TERM $tray $sim 2>/dev/null; wait $tray $sim 2>/dev/null; rm -rf "$work"' EXIT
sleep 6 # past the first status cycle

ticks() { awk '{ print $14 + $15 }' "/proc/$tray/stat"; }
switches() {
    cat /proc/"$tray"/task/*/status |
        awk '/^(voluntary|nonvoluntary)_ctxt_switches/ { n += $2 } END { print n }'
}
hz=$(getconf CLK_TCK)
t0=$(ticks); s0=$(switches)
sleep "$seconds"
t1=$(ticks); s1=$(switches)
rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$tray/status")
threads=$(ls "/proc/$tray/task" | wc -l)

awk -v t="$((t1 - t0))" -v hz="$hz" -v s="$((s1 - s0))" -v secs="$seconds" -v rss="$rss" \
    -v threads="$threads" 'BEGIN {
    cpu = t / hz
    printf "idle over %d s: %.2f CPU seconds (%.3f%% of one core), %.1f wake-ups/s, %d threads, %.1f MiB resident\n",
           secs, cpu, 100 * cpu / secs, s / secs, threads, rss / 1024
}'
