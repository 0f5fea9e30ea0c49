#!/usr/bin/env bash
# scripts/run (make run) refuses to start while one of the suite's ports takes connections, and
# then starts nothing; with the ports free it starts suite-sim and VXTray. Stand-ins take the
# places of both programs and note that they ran. Usage: RunScriptTest.sh SCRIPTS_RUN
set -euo pipefail
run="${1:?usage: RunScriptTest.sh SCRIPTS_RUN}"
dir=$(mktemp -d)
holder=""
cleanup() {
    if [ -n "$holder" ]; then
        kill "$holder" 2>/dev/null || true
        wait "$holder" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for program in suite-sim VXTray; do
    printf '#!/bin/sh\ntouch "%s/%s.ran"\n' "$dir" "$program" >"$dir/$program"
    chmod +x "$dir/$program"
done

accepts() {
    timeout 1 bash -c ">/dev/tcp/127.0.0.1/$1" 2>/dev/null
}
for port in 21321 21322 21323 21324 21325; do
    ! accepts "$port" || fail "port $port is in use before the test: another suite runs"
done

# A port of the suite held by something that takes connections; it says when it listens.
python3 -c 'import socket, sys, time
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", 21324))
s.listen(8)
open(sys.argv[1], "w").close()
time.sleep(60)' "$dir/listening" &
holder=$!
for _ in $(seq 100); do
    [ ! -e "$dir/listening" ] || break
    kill -0 "$holder" 2>/dev/null || fail "could not hold port 21324"
    sleep 0.1
done
[ -e "$dir/listening" ] || fail "the holder of port 21324 did not come up"

code=0
output=$(VXTRAY_PREFIX="$dir/prefix" bash "$run" "$dir" 2>&1) || code=$?
[ "$code" -ne 0 ] || fail "scripts/run went on beside a running suite: $output"
case "$output" in
*"The suite already runs: port(s) 21324 on 127.0.0.1 in use; stop it first"*) ;;
*) fail "scripts/run did not say why: $output" ;;
esac
for program in suite-sim VXTray; do
    [ ! -e "$dir/$program.ran" ] || fail "scripts/run started $program beside a running suite"
done

kill "$holder"
wait "$holder" 2>/dev/null || true
holder=""
code=0
output=$(VXTRAY_PREFIX="$dir/prefix" bash "$run" "$dir" 2>&1) || code=$?
[ "$code" -eq 0 ] || fail "scripts/run refused with every port free ($code): $output"
for program in suite-sim VXTray; do
    [ -e "$dir/$program.ran" ] || fail "scripts/run did not start $program: $output"
done
echo "scripts/run refuses a second suite and starts one on free ports"
