#!/usr/bin/env bash
# Many short connections against the HTTP framework under the sanitizers: wrk opens a
# connection per request at several concurrencies against bench_http_service built with
# AddressSanitizer and with ThreadSanitizer, until REQUESTS requests have been answered at
# each. A crash, a sanitizer report or a service that stops answering fails the run.
#
# Usage: bench/stress_requests.sh [PRESET...]   (default: asan tsan; each build dir must hold
#        bin/bench_http_service: cmake --build --preset asan --target bench_http_service)
# Environment: REQUESTS (2000000), CONNECTIONS ("50 200"), PORT (28090).
set -euo pipefail
source "$(dirname "$0")/ports.sh"
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(asan tsan)
requests=${REQUESTS:-2000000}
connections=${CONNECTIONS:-50 200}
port=${PORT:-28090}
command -v wrk >/dev/null || { echo "stress_requests: wrk is missing (apt-get install wrk)" >&2; exit 1; }
work=$(mktemp -d)
service=""
cleanup() {
    [ -z "$service" ] || kill -TERM "$service" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 TSAN_OPTIONS=halt_on_error=1

for preset in "${presets[@]}"; do
    binary=build/$preset/bin/bench_http_service
    [ -x "$binary" ] || { echo "stress_requests: no $binary" >&2; exit 1; }
    for c in $connections; do
        "$binary" "$port" >"$work/service.out" 2>&1 &
        service=$!
        wait_for_port "$port" || { cat "$work/service.out"; echo "stress_requests: $preset does not listen" >&2; exit 1; }
        done_requests=0
        start=$(date +%s)
        while [ "$done_requests" -lt "$requests" ]; do
            kill -0 "$service" 2>/dev/null || { cat "$work/service.out"; echo "stress_requests: $preset died at -c$c" >&2; exit 1; }
            n=$(wrk -t1 -c"$c" -d20s "http://127.0.0.1:$port/integrity-local" |
                awk '/requests in/ { print $1 }')
            [ "${n:-0}" -gt 0 ] || { echo "stress_requests: $preset stopped answering at -c$c" >&2; exit 1; }
            done_requests=$((done_requests + n))
        done
        kill -TERM "$service"
        if ! wait "$service"; then
            cat "$work/service.out"
            echo "stress_requests: $preset ended badly at -c$c" >&2
            exit 1
        fi
        service=""
        echo "$preset -c$c: $done_requests requests in $(( $(date +%s) - start )) s, clean"
    done
done
