#!/usr/bin/env bash
# VXTray's decision service under hostile local load, everything on 127.0.0.1:21324 (the port
# must be free). Three scenarios, each with a fresh VXTray (Qt offscreen, a temporary prefix)
# and a probe of /integrity-local every 0.5 s beside the load:
#   1. 1,000 connections sending a request one byte every 3 s and 2,000 sending nothing;
#   2. 500 connections sending a complete head that announces a 1 MiB body, then one body
#      byte every 3 s;
#   3. the pending decisions filled to their bound (10,000 of 3,200 bytes), then 256 readers
#      of /list taking 4 KiB every 2 s.
# Prints a Markdown table for docs/PERFORMANCE.md with the load average.
#
# Usage: bench/hostile_load.sh [BIN_DIR] (default build/release/bin; build VXTray and
#        hostile_load with cmake --build --preset release --target VXTray hostile_load)
# Environment: SECONDS_EACH (60).
set -euo pipefail
source "$(dirname "$0")/ports.sh"
bin=${1:-build/release/bin}
seconds=${SECONDS_EACH:-60}
port=21324
[ -x "$bin/VXTray" ] && [ -x "$bin/hostile_load" ] || {
    echo "hostile_load: build VXTray and hostile_load first (see the usage)" >&2
    exit 1
}
port_free "$port" || {
    echo "hostile_load: port $port is taken" >&2
    exit 1
}
work=$(mktemp -d)
tray=""
cleanup() {
    [ -z "$tray" ] || kill -TERM "$tray" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

start_tray() {
    VXTRAY_PREFIX="$work/prefix" QT_QPA_PLATFORM=offscreen "$bin/VXTray" >"$work/tray.out" 2>&1 &
    tray=$!
    wait_for_port "$port" || {
        echo "hostile_load: VXTray does not listen" >&2
        exit 1
    }
}

stop_tray() {
    kill -TERM "$tray"
    wait "$tray" || true
    tray=""
}

run() {
    local name=$1
    shift
    start_tray
    local result
    result=$("$bin/hostile_load" --port "$port" --pid "$tray" --seconds "$seconds" "$@")
    stop_tray
    echo "| $name | $(echo "$result" | sed 's/ / | /g') |"
}

echo "VXTray under hostile load, ${seconds} s per scenario, probe every 0.5 s;" \
    "$(nproc) cores, $(date -u +%Y-%m-%d), load average before $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "| scenario | results |||||||||"
echo "|---|---|---|---|---|---|---|---|---|---|"
run "1,000 slow + 2,000 idle" --slow 1000 --idle 2000
run "500 trickling 1 MiB bodies" --trickle 500
run "256 slow readers of a full /list" --fill 10000 --fill-bytes 3200 --readers 256
echo
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)."
