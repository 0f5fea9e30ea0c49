#!/usr/bin/env bash
# Throughput of the HTTP service framework against nginx, in one run, on one core.
#
# bench_http_service (our framework answering "/integrity-local") and nginx (one worker,
# keep-alive off, a 40-byte file) take turns under wrk (-t1, a connection per request), all
# on 127.0.0.1 and all pinned to the same core: service, nginx, service, nginx, ... (PAIRS
# pairs per connection count). Given a second service binary (an older build), each pair
# becomes service, old service, nginx. For every run it reports requests per second and the
# CPU time per request of the server (user + system, all of its threads); then, per
# connection count, the median ratio to nginx of the same pair and its range. Prints
# Markdown for docs/PERFORMANCE.md, with the load average before and after.
#
# Usage: bench/http_load.sh [path/to/bench_http_service [path/to/old/bench_http_service]]
#   (default build/release/bin/bench_http_service; build it with
#    cmake --preset release && cmake --build --preset release --target bench_http_service)
# Environment: DURATION (5s), CONNECTIONS ("50 200"), PAIRS (3), CORE (1),
#              SERVICE_PORT (28080), OLD_PORT (28082), NGINX_PORT (28081).
set -euo pipefail
source "$(dirname "$0")/ports.sh"

SERVICE_BIN=${1:-build/release/bin/bench_http_service}
OLD_BIN=${2:-}
DURATION=${DURATION:-5s}
CONNECTIONS=${CONNECTIONS:-50 200}
PAIRS=${PAIRS:-3}
CORE=${CORE:-1}
SERVICE_PORT=${SERVICE_PORT:-28080}
OLD_PORT=${OLD_PORT:-28082}
NGINX_PORT=${NGINX_PORT:-28081}

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

# CPU clock ticks (user + system, threads that ended included) of the processes given.
ticks() {
    local total=0 pid
    for pid in "$@"; do
        total=$((total + $(awk '{ print $14 + $15 }' "/proc/$pid/stat")))
    done
    echo "$total"
}

# "<requests/s> <requests> <CPU µs per request>" of one wrk run against a port, with the
# CPU time of the server's processes.
measure() {
    local port=$1 out=$2
    shift 2
    local before after
    before=$(ticks "$@")
    taskset -c "$CORE" wrk -t1 -c"$connections" -d"$DURATION" --latency \
        "http://127.0.0.1:$port/integrity-local" >"$out"
    after=$(ticks "$@")
    awk -v ticks=$((after - before)) -v hz="$(getconf CLK_TCK)" '
        /^Requests\/sec:/ { rps = $2 }
        /requests in/ { n = $1 }
        END { printf "%s %d %.1f\n", rps, n, (n > 0 ? ticks / hz * 1e6 / n : 0) }' "$out"
}

errors() {
    awk '/Socket errors:/ { sub(/.*Socket errors: /, ""); s = $0 }
         /Non-2xx/ { n = $NF }
         END { out = ""; if (s != "") out = "socket errors: " s;
               if (n != "") out = out (out == "" ? "" : "; ") "non-2xx: " n;
               print (out == "" ? "none" : out) }' "$1"
}

# Median and range of the numbers on standard input: "<median> (<min>–<max>)".
summary() {
    sort -g | awk '{ v[NR] = $1 } END {
        m = (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2);
        printf "%.2f (%.2f–%.2f)", m, v[1], v[NR] }'
}

[ -x "$SERVICE_BIN" ] || die "no service binary at $SERVICE_BIN (see the usage in this script)"
[ -z "$OLD_BIN" ] || [ -x "$OLD_BIN" ] || die "no service binary at $OLD_BIN"
install_missing
NGINX=$(command -v nginx || echo /usr/sbin/nginx)
for port in "$SERVICE_PORT" "$NGINX_PORT" ${OLD_BIN:+"$OLD_PORT"}; do
    port_free "$port" || die "port $port is taken (see the environment in this script)"
done

work=$(mktemp -d)
chmod 755 "$work" # nginx's worker may run as another user
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
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
        listen 127.0.0.1:$NGINX_PORT backlog=4096;
        root $work/www;
    }
}
EOF

taskset -c "$CORE" "$SERVICE_BIN" "$SERVICE_PORT" >"$work/service.out" &
service_pid=$!
pids+=("$service_pid")
if [ -n "$OLD_BIN" ]; then
    taskset -c "$CORE" "$OLD_BIN" "$OLD_PORT" >"$work/old.out" &
    old_pid=$!
    pids+=("$old_pid")
fi
taskset -c "$CORE" "$NGINX" -p "$work" -c "$work/nginx.conf" 2>"$work/nginx.err" &
nginx_master=$!
pids+=("$nginx_master")
for port in "$SERVICE_PORT" "$NGINX_PORT" ${OLD_BIN:+"$OLD_PORT"}; do
    wait_for_port "$port" || die "nothing listens on port $port"
done
nginx_pids=("$nginx_master" $(pgrep -P "$nginx_master"))

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "wrk -t1, a connection per request, -d$DURATION; servers and wrk on core $CORE of $(nproc);" \
    "$(date -u +%Y-%m-%d)"
echo
echo "| connections | pair | server | requests/s | CPU µs per request | errors |"
echo "|---|---|---|---|---|---|"
: >"$work/ratios"
for connections in $CONNECTIONS; do
    for pair in $(seq 1 "$PAIRS"); do
        servers="service"
        [ -z "$OLD_BIN" ] || servers="$servers old"
        for server in $servers nginx; do
            case $server in
            service) read -r rps n cpu < <(measure "$SERVICE_PORT" "$work/$server.wrk" "$service_pid") ;;
            old) read -r rps n cpu < <(measure "$OLD_PORT" "$work/$server.wrk" "$old_pid") ;;
            nginx) read -r rps n cpu < <(measure "$NGINX_PORT" "$work/$server.wrk" "${nginx_pids[@]}") ;;
            esac
            eval "${server}_rps=$rps ${server}_cpu=$cpu"
            echo "| $connections | $pair | $server | $rps | $cpu | $(errors "$work/$server.wrk") |"
        done
        for server in $servers; do
            eval "rps=\$${server}_rps cpu=\$${server}_cpu"
            awk -v c="$connections" -v s="$server" -v r="$rps" -v nr="$nginx_rps" -v u="$cpu" \
                -v nu="$nginx_cpu" 'BEGIN { print c, s, r / nr, u / nu }' >>"$work/ratios"
        done
    done
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

echo
echo "| connections | server | requests/s ÷ nginx's, median (range) | CPU per request ÷ nginx's, median (range) |"
echo "|---|---|---|---|"
for connections in $CONNECTIONS; do
    for server in service ${OLD_BIN:+old}; do
        rate=$(awk -v c="$connections" -v s="$server" '$1 == c && $2 == s { print $3 }' \
            "$work/ratios" | summary)
        cpu=$(awk -v c="$connections" -v s="$server" '$1 == c && $2 == s { print $4 }' \
            "$work/ratios" | summary)
        echo "| $connections | $server | $rate | $cpu |"
    done
done
echo
echo "Load average before: $load_before; after: $load_after."
kill -TERM "$service_pid"
wait "$service_pid" || true
echo "Request threads alive at once at most: $(sed -n 's/^peak_request_threads=//p' "$work/service.out")."
