#!/usr/bin/env bash
# The print server benchmark: netspoold and Debian's p910nd side by side,
# printing into capture queues of a private CUPS scheduler (port 10 and
# p910nd into the same one; ports 11 to 13 into queues of their own).
# A job counts as done when its file has arrived in the capture folder, and
# every job file must hold exactly the bytes of its connection.
#
#   bench/netspool/run.sh [--build DIR] [--buffers "65536 262144"] [--jobs N] [--big MB]
#                         [--rounds N] [--fifo-whole] [--shell-backend]
#
# The client is sequential: it half-closes each connection after sending and
# waits for the server to close it before opening the next; "parallel" is
# four such clients at once, one per port. p910nd serves one port and is
# measured on the single stream and the sequential jobs. It writes each
# connection into a FIFO read by fifo_lp, which closes the FIFO at each end
# of file, prints the job with `lp -d capture -o raw` and only then opens the
# FIFO again, so that p910nd's next connection waits for it (--fifo-whole:
# fifo_lp reads each job whole before starting lp, instead of streaming).
# The capture queues use a compiled twin of the tests' shell backend
# (--shell-backend: the shell one, which starts three processes per job).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$root/build
buffers="65536 262144"
jobs=1000
big=200
rounds=1
fifo_whole=
shell_backend=
base=${NETSPOOL_BENCH_BASE:-19010}
while (($#)); do
    case $1 in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --buffers) buffers=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --big) big=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --fifo-whole) fifo_whole=--whole; shift ;;
    --shell-backend) shell_backend=yes; shift ;;
    -h | --help) sed -n '2,20p' "$0"; exit 0 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
    esac
done

# shellcheck source=scripts/lib/cups-env.sh
source "$root/scripts/lib/cups-env.sh"

p910nd=$(command -v p910nd || echo /usr/sbin/p910nd)
if [[ ! -x $p910nd ]]; then
    echo "p910nd is not installed (Debian package p910nd); only netspoold is measured" >&2
    p910nd=
fi

cmake --build "$build" --target netspoold >/dev/null
work=$(mktemp -d /tmp/nsbench-XXXXXX)
g++ -O2 -std=c++17 -pthread -o "$work/client" "$here/posix/netspool_client.cpp"
g++ -O2 -std=c++17 -o "$work/fifo_lp" "$here/posix/fifo_lp.cpp"
g++ -O2 -std=c++17 -o "$work/capture_backend" "$here/posix/capture_backend.cpp"

pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    ov_cups_stop "$work/cups"
    rm -rf "$work"
}
trap cleanup EXIT

ov_cups_start "$work/cups"
ov_cups_wait_ready "$work/cups" 30
ov_cups_add_raw_queue "$work/cups" capture "$work/jobs"
# Ports 11 to 13 print on queues of their own (same capture folder): a queue
# prints one job at a time, so with one queue for all four ports the far end,
# not the server, would set the parallel rate.
for port in 11 12 13; do ov_cups_add_raw_queue "$work/cups" "capture$port" "$work/jobs"; done
# A scheduler keeps at most 500 jobs by default, finished ones included until
# it gets round to dropping them; four ports in parallel outrun that and get
# Create-Job refused ("Too many active jobs"). No limit for the benchmark:
# restart the scheduler with MaxJobs 0 (the queue stays in its state).
ov_cups_stop "$work/cups"
echo "MaxJobs 0" >>"$work/cups/etc/cupsd.conf"
if [[ -z $shell_backend ]]; then
    install -m 0700 "$work/capture_backend" "$work/cups/bin/backend/ovcapture"
fi
"$(command -v cupsd || echo /usr/sbin/cupsd)" -f -c "$work/cups/etc/cupsd.conf" -s "$work/cups/etc/cups-files.conf" \
    </dev/null >>"$work/cups/log/cupsd.out" 2>&1 &
echo $! >"$work/cups/cupsd.pid"
ov_cups_wait_ready "$work/cups" 30
export CUPS_SERVER XDG_CONFIG_HOME=$work/config
CUPS_SERVER=$(ov_cups_server "$work/cups")
"$build/netspool/netspoold" --set 10 capture >/dev/null
for port in 11 12 13; do "$build/netspool/netspoold" --set $port "capture$port" >/dev/null; done

if [[ -n $p910nd ]]; then
    # p910nd keeps its lock file there and does not create the folder.
    if [[ ! -d /var/lock/p910nd ]]; then
        echo "creating /var/lock/p910nd for p910nd's lock file" >&2
        mkdir -p /var/lock/p910nd
    fi
    mkfifo "$work/lp.fifo"
    "$work/fifo_lp" "$work/lp.fifo" capture ${fifo_whole:+"$fifo_whole"} 2>"$work/fifo_lp.log" &
    pids+=($!)
    "$p910nd" -d -i 127.0.0.1 -f "$work/lp.fifo" 0 >"$work/p910nd.log" 2>&1 &
    pids+=($!)
fi

netspoold_pid=
start_netspoold() {
    "$build/netspool/netspoold" --base-port "$base" --address 127.0.0.1 --receive-buffer "$1" >"$work/netspoold.log" 2>&1 &
    netspoold_pid=$!
    local i
    for ((i = 0; i < 100; i++)); do
        grep -qs 'incomming connections' "$work/netspoold.log" && return 0
        sleep 0.1
    done
    echo "netspoold did not start:" >&2
    cat "$work/netspoold.log" >&2
    exit 1
}
stop_netspoold() {
    kill "$netspoold_pid"
    wait "$netspoold_pid" || true
}

# run LABEL PORT PORTS SIZE COUNT
run() {
    printf '%-44s ' "$1"
    "$work/client" "$work/jobs" "$2" "$3" "$4" "$5" || true
    rm -f "$work/jobs"/job-*
}

size=$((big * 1000 * 1000))
for ((round = 1; round <= rounds; round++)); do
    echo "== round $round, load average $(cut -d' ' -f1-3 /proc/loadavg)"
    echo "-- one connection of $big MB"
    [[ -n $p910nd ]] && run "p910nd (FIFO, lp)" 9100 1 $size 1
    for b in $buffers; do
        start_netspoold "$b"
        run "netspoold, receive buffer $b" "$base" 1 $size 1
        stop_netspoold
    done
    echo "-- $jobs connections of 4 KB"
    [[ -n $p910nd ]] && run "p910nd (FIFO, lp), sequential" 9100 1 4096 "$jobs"
    for b in $buffers; do
        start_netspoold "$b"
        run "netspoold $b, sequential on port 10" "$base" 1 4096 "$jobs"
        run "netspoold $b, parallel on ports 10 to 13" "$base" 4 4096 "$jobs"
        stop_netspoold
    done
done
if [[ -s $work/fifo_lp.log ]]; then
    echo "fifo_lp reported:"
    cat "$work/fifo_lp.log"
fi
