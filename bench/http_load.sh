#!/usr/bin/env bash
# Load test of the HTTP service framework, side by side with nginx, in one run.
#
# wrk fetches "/integrity-local" from bench_http_service (our framework, one thread per
# connection), then a 40-byte file from nginx (one worker, keep-alive off), then our service
# again, all on 127.0.0.1. For our service it also samples threads and resident memory
# before, during and after each of two loads. Prints a Markdown table for docs/PERFORMANCE.md.
#
# Usage: bench/http_load.sh [path/to/bench_http_service]
#   (default build/release/bin/bench_http_service; build it with
#    cmake --preset release && cmake --build --preset release --target bench_http_service)
# Environment: DURATION (10s), CONNECTIONS (50), WRK_THREADS (2), SERVICE_PORT (28080),
#              NGINX_PORT (28081), SETTLE_SECONDS (3).
set -euo pipefail

SERVICE_BIN=${1:-build/release/bin/bench_http_service}
DURATION=${DURATION:-10s}
CONNECTIONS=${CONNECTIONS:-50}
WRK_THREADS=${WRK_THREADS:-2}
SERVICE_PORT=${SERVICE_PORT:-28080}
NGINX_PORT=${NGINX_PORT:-28081}
SETTLE_SECONDS=${SETTLE_SECONDS:-3}

die() {
    echo "http_load: $*" >&2
    exit 1
}

install_missing() {
    local missing=()
    command -v wrk >/dev/null || missing+=(wrk)
    [ -x /usr/sbin/nginx ] || command -v nginx >/dev/null || missing+=(nginx-light)
    [ ${#missing[@]} -eq 0 ] && return
    echo "http_load: installing ${missing[*]}" >&2
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

port_free() {
    [ -z "$(ss -Hltn "sport = :$1")" ]
}

wait_for_port() {
    for _ in $(seq 1 100); do
        if (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; then
            return 0
        fi
        sleep 0.05
    done
    die "nothing listens on port $1"
}

# "<threads> <resident KiB>" of a process.
sample() {
    awk '/^Threads:/ { t = $2 } /^VmRSS:/ { r = $2 } END { print t, r }' "/proc/$1/status"
}

# Samples the process every 100 ms into a file of "<threads> <rss>" lines until killed.
sampler() {
    while kill -0 "$1" 2>/dev/null; do
        sample "$1" >>"$2" || true
        sleep 0.1
    done
}

run_wrk() {
    wrk -t"$WRK_THREADS" -c"$CONNECTIONS" -d"$DURATION" --latency "$1"
}

# Fields of a wrk report: requests per second, latency percentiles, errors.
rps() { awk '/^Requests\/sec:/ { print $2 }' "$1"; }
percentile() { awk -v p="$2%" '$1 == p { print $2 }' "$1"; }
errors() {
    awk '/Socket errors:/ { sub(/.*Socket errors: /, ""); s = $0 }
         /Non-2xx/ { n = $NF }
         END { out = ""; if (s != "") out = "socket errors: " s;
               if (n != "") out = out (out == "" ? "" : "; ") "non-2xx: " n;
               print (out == "" ? "none" : out) }' "$1"
}

[ -x "$SERVICE_BIN" ] || die "no service binary at $SERVICE_BIN (see the usage in this script)"
install_missing
NGINX=$(command -v nginx || echo /usr/sbin/nginx)
port_free "$SERVICE_PORT" || die "port $SERVICE_PORT is taken (set SERVICE_PORT)"
port_free "$NGINX_PORT" || die "port $NGINX_PORT is taken (set NGINX_PORT)"

work=$(mktemp -d)
chmod 755 "$work" # nginx's worker may run as another user
service_pid=""
nginx_pid=""
sampler_pid=""
cleanup() {
    for pid in $sampler_pid $nginx_pid $service_pid; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# nginx: one worker, keep-alive off, a 40-byte file, loopback only, everything in $work.
mkdir -p "$work/www" "$work/logs"
printf '%040d' 0 >"$work/www/integrity-local"
chmod 644 "$work/www/integrity-local"
cat >"$work/nginx.conf" <<EOF
worker_processes 1;
daemon off;
pid $work/nginx.pid;
error_log $work/logs/error.log;
events { worker_connections 4096; }
http {
    access_log off;
    keepalive_timeout 0;
    default_type text/plain;
    server {
        listen 127.0.0.1:$NGINX_PORT;
        root $work/www;
    }
}
EOF

"$SERVICE_BIN" "$SERVICE_PORT" >"$work/service.out" &
service_pid=$!
"$NGINX" -p "$work" -c "$work/nginx.conf" 2>"$work/nginx.err" &
nginx_pid=$!
wait_for_port "$SERVICE_PORT"
wait_for_port "$NGINX_PORT"

# Loads our service once with threads and memory sampled; reports "<threads> <rss>" after it
# has settled.
load_service() {
    sampler "$service_pid" "$work/samples" &
    sampler_pid=$!
    run_wrk "http://127.0.0.1:$SERVICE_PORT/integrity-local" >"$work/$1.wrk"
    kill "$sampler_pid" 2>/dev/null || true
    wait "$sampler_pid" 2>/dev/null || true
    sampler_pid=""
    sleep "$SETTLE_SECONDS"
    sample "$service_pid"
}

# Our service, nginx, then our service again: the second round shows whether what stays
# after a load keeps growing.
read -r threads_before rss_before < <(sample "$service_pid")
read -r threads_after rss_after < <(load_service service)
run_wrk "http://127.0.0.1:$NGINX_PORT/integrity-local" >"$work/nginx.wrk"
read -r threads_after2 rss_after2 < <(load_service service2)
peak_threads=$(awk 'BEGIN { m = 0 } $1 > m { m = $1 } END { print m }' "$work/samples")
peak_rss=$(awk 'BEGIN { m = 0 } $2 > m { m = $2 } END { print m }' "$work/samples")

kill -TERM "$service_pid"
wait "$service_pid" || true
service_pid=""
peak_request_threads=$(sed -n 's/^peak_request_threads=//p' "$work/service.out")

service_rps=$(rps "$work/service.wrk")
nginx_rps=$(rps "$work/nginx.wrk")
ratio=$(awk -v a="$service_rps" -v b="$nginx_rps" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')

echo "wrk -t$WRK_THREADS -c$CONNECTIONS -d$DURATION --latency, $(nproc) cores, $(date -u +%Y-%m-%d)"
echo
echo "| | requests/s | p50 | p75 | p90 | p99 | errors |"
echo "|---|---|---|---|---|---|---|"
for name in service nginx service2; do
    f="$work/$name.wrk"
    case $name in
    service) label="framework service, /integrity-local" ;;
    nginx) label="nginx (1 worker, keep-alive off), 40-byte file" ;;
    *) label="framework service again" ;;
    esac
    echo "| $label | $(rps "$f") | $(percentile "$f" 50) | $(percentile "$f" 75) |" \
        "$(percentile "$f" 90) | $(percentile "$f" 99) | $(errors "$f") |"
done
echo
echo "Framework/nginx requests per second (first rounds): $ratio"
echo
echo "| framework service | threads | resident memory |"
echo "|---|---|---|"
echo "| before the load | $threads_before | ${rss_before} KiB |"
echo "| peak during the load | $peak_threads (request threads at once: $peak_request_threads) | ${peak_rss} KiB |"
echo "| ${SETTLE_SECONDS} s after the first load | $threads_after | ${rss_after} KiB |"
echo "| ${SETTLE_SECONDS} s after the second load | $threads_after2 | ${rss_after2} KiB |"
