#!/bin/sh
# Starts or stops the local vendor hosts that the cross-built download tests
# fetch from: one zelqa-vendor-host per behaviour, each on a free port.
# DIR/hosts lists "NAME PORT" lines; DIR/large.bin and DIR/small.bin are the
# payloads they serve. Given a PROGRAM, host "probe" serves it, as DIR/probe.bin,
# for the tests that start what they download.
# Usage: vendor-hosts.sh start DIR VENDOR_HOST [PROGRAM] | vendor-hosts.sh stop DIR
set -eu
usage="usage: vendor-hosts.sh start DIR VENDOR_HOST [PROGRAM] | vendor-hosts.sh stop DIR"
action=${1:?$usage}
dir=${2:?$usage}

stop_hosts() {
    pids=""
    for pidfile in "$dir"/*.pid; do
        [ -f "$pidfile" ] || continue
        pid=$(cat "$pidfile")
        rm -f "$pidfile"
        kill "$pid" 2>/dev/null && pids="$pids $pid"
    done
    # All at once: each host takes a moment to close its connections.
    for pid in $pids; do
        tries=0
        while kill -0 "$pid" 2>/dev/null && [ $tries -lt 50 ]; do
            sleep 0.1
            tries=$((tries + 1))
        done
        kill -9 "$pid" 2>/dev/null || true
    done
}

case "$action" in
stop)
    stop_hosts
    exit 0
    ;;
start)
    host=${3:?$usage}
    program=${4:-}
    ;;
*)
    echo "$usage" >&2
    exit 2
    ;;
esac

if [ ! -x "$host" ]; then
    echo "vendor-hosts.sh: no vendor host at $host; build it with a Linux preset (target zelqa-vendor-host)" >&2
    exit 1
fi
mkdir -p "$dir"
stop_hosts
rm -f "$dir/hosts" "$dir"/*.out "$dir"/*.err "$dir/probe.bin"
head -c 1048583 /dev/urandom > "$dir/large.bin"
head -c 12000 /dev/urandom > "$dir/small.bin"

# start NAME PAYLOAD ARGS...: one host, its port appended to DIR/hosts.
start() {
    name=$1 payload=$2
    shift 2
    # Its output goes to files: a test runner waits for the pipes it handed out.
    "$host" --port 0 --payload "$dir/$payload" "$@" </dev/null >"$dir/$name.out" 2>"$dir/$name.err" &
    echo $! > "$dir/$name.pid"
    tries=0
    while ! grep -q '^listening on https://localhost:' "$dir/$name.out" 2>/dev/null; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ]; then
            echo "vendor-hosts.sh: $name did not start:" >&2
            cat "$dir/$name.err" >&2
            stop_hosts
            exit 1
        fi
        sleep 0.1
    done
    echo "$name $(sed -n 's/^listening on https:\/\/localhost:\([0-9]*\).*/\1/p' "$dir/$name.out")" >> "$dir/hosts"
}

start normal large.bin --mode normal
start 404 large.bin --mode 404
start 500 large.bin --mode 500
start refuse large.bin --mode refuse
start drop large.bin --mode drop
start stall large.bin --mode stall
start nolength large.bin --mode nolength
start redirect large.bin --mode redirect
start trickle small.bin --mode trickle --trickle-bytes 1000 --trickle-interval-ms 250
start trickle-fast large.bin --mode trickle --trickle-bytes 65536 --trickle-interval-ms 20
if [ -n "$program" ]; then
    cp "$program" "$dir/probe.bin"
    start probe probe.bin --mode normal
fi
cat "$dir/hosts"
