#!/usr/bin/env bash
# Load test of the decision server: wrk on "/status" with no decision pending, with threads
# and resident memory of the server sampled. Prints a Markdown table for docs/PERFORMANCE.md.
#
# Usage: bench/decision_load.sh [path/to/bench_decision_service]
#   (default build/release/bin/bench_decision_service; build it with
#    cmake --preset release && cmake --build --preset release --target bench_decision_service)
# Environment: DURATION (10s), CONNECTIONS (50), WRK_THREADS (2), SERVICE_PORT (28090).
set -euo pipefail
source "$(dirname "$0")/ports.sh"

SERVICE_BIN=${1:-build/release/bin/bench_decision_service}
DURATION=${DURATION:-10s}
CONNECTIONS=${CONNECTIONS:-50}
WRK_THREADS=${WRK_THREADS:-2}
SERVICE_PORT=${SERVICE_PORT:-28090}

die() {
    echo "decision_load: $*" >&2
    exit 1
}

[ -x "$SERVICE_BIN" ] || die "no service binary at $SERVICE_BIN (see the usage in this script)"
command -v wrk >/dev/null || die "wrk is missing (apt-get install wrk)"
port_free "$SERVICE_PORT" || die "port $SERVICE_PORT is taken (set SERVICE_PORT)"

work=$(mktemp -d)
service_pid=""
sampler_pid=""
cleanup() {
    for pid in $sampler_pid $service_pid; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$SERVICE_BIN" "$SERVICE_PORT" >"$work/service.out" &
service_pid=$!
wait_for_port "$SERVICE_PORT" || die "nothing listens on port $SERVICE_PORT"

sample() {
    awk '/^Threads:/ { t = $2 } /^VmRSS:/ { r = $2 } END { print t, r }' "/proc/$1/status"
}
read -r threads_before rss_before < <(sample "$service_pid")
(
    while kill -0 "$service_pid" 2>/dev/null; do
        sample "$service_pid" >>"$work/samples" || true
        sleep 0.1
    done
) &
sampler_pid=$!
wrk -t"$WRK_THREADS" -c"$CONNECTIONS" -d"$DURATION" --latency \
    "http://127.0.0.1:$SERVICE_PORT/status" >"$work/wrk"
kill "$sampler_pid" 2>/dev/null || true
wait "$sampler_pid" 2>/dev/null || true
sampler_pid=""
sleep 2
read -r threads_after rss_after < <(sample "$service_pid")
kill -TERM "$service_pid"
wait "$service_pid" || true
service_pid=""

f="$work/wrk"
rps=$(awk '/^Requests\/sec:/ { print $2 }' "$f")
pct() { awk -v p="$1%" '$1 == p { print $2 }' "$f"; }
errors=$(awk '/Socket errors:|Non-2xx/ { sub(/^ +/, ""); printf "%s; ", $0 }' "$f")
peak_threads=$(awk 'BEGIN { m = 0 } $1 > m { m = $1 } END { print m }' "$work/samples")
peak_rss=$(awk 'BEGIN { m = 0 } $2 > m { m = $2 } END { print m }' "$work/samples")
peak_request_threads=$(sed -n 's/^peak_request_threads=//p' "$work/service.out")

echo "wrk -t$WRK_THREADS -c$CONNECTIONS -d$DURATION --latency, $(nproc) cores, $(date -u +%Y-%m-%d)"
echo
echo "| | requests/s | p50 | p75 | p90 | p99 | errors |"
echo "|---|---|---|---|---|---|---|"
echo "| decision server, /status, nothing pending | $rps | $(pct 50) | $(pct 75) | $(pct 90) |" \
    "$(pct 99) | ${errors:-none} |"
echo
echo "| decision server | threads | resident memory |"
echo "|---|---|---|"
echo "| before the load | $threads_before | ${rss_before} KiB |"
echo "| peak during the load | $peak_threads (request threads at once: $peak_request_threads) | ${peak_rss} KiB |"
echo "| 2 s after the load | $threads_after | ${rss_after} KiB |"
