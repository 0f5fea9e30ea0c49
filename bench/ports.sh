# Loopback port helpers for the load scripts; source it.

# True when nothing listens on 127.0.0.1:$1.
port_free() {
    [ -z "$(ss -Hltn "sport = :$1")" ]
}

# Waits until something accepts connections on 127.0.0.1:$1, at most 10 s; false after that.
wait_for_port() {
    for _ in $(seq 1 200); do
        if (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; then
            return 0
        fi
        sleep 0.05
    done
    return 1
}
