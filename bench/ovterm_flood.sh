#!/usr/bin/env bash
# Flood figures for ovterm against the headless ovscript, in the same run: a
# loopback telnet server (the system's telnetd, one per connection) runs
# `cat FILE; echo FLOOD-END-$((1+1))` for each; both clocks stop when the
# marker is on the screen.
#
#   bench/ovterm_flood.sh [BUILD_DIR] [MB]      (defaults: build, 100)
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-$ROOT/build}
MB=${2:-100}
work=$(mktemp -d "${TMPDIR:-/tmp}/ovflood.XXXXXX")
sock="$work/tmux.sock"
cleanup() {
    tmux -S "$sock" kill-server 2>/dev/null || true
    [[ -n "${server:-}" ]] && kill "$server" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# 79 printable characters and a line end per line.
head -c $((MB * 1024 * 1024)) \
    < <(yes 'The quick brown fox jumps over the lazy dog 0123456789 ABCDEFGHIJKLMNOPQRSTUVW') >"$work/flood.txt"
printf '#!/bin/sh\nPS1="$ "\nexport PS1\nexec /bin/sh -i\n' >"$work/shell.sh"
chmod 755 "$work/shell.sh"
python3 - "$work/shell.sh" "$work/port" <<'PY' &
import os, signal, socket, sys
signal.signal(signal.SIGCHLD, signal.SIG_IGN)
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(4)
open(sys.argv[2], "w").write(str(s.getsockname()[1]))
while True:
    c, _ = s.accept()
    if os.fork() == 0:
        os.dup2(c.fileno(), 0); os.dup2(c.fileno(), 1)
        os.execl("/usr/sbin/telnetd", "telnetd", "-h", "-E", sys.argv[1])
    c.close()
PY
server=$!
for _ in $(seq 100); do [[ -s "$work/port" ]] && break; sleep 0.1; done
host="127.0.0.1:$(cat "$work/port")"
command="cat $work/flood.txt; echo FLOOD-END-\$((1+1))"

now() { date +%s.%N; }
start=$(now)
printf 'connect %s\nwait $\ntype %s\\n\nwait FLOOD-END-2 1200000\nquit\n' "$host" "$command" |
    "$BUILD/ovscript" >"$work/ovscript.out"
headless=$(echo "$(now) - $start" | bc)
if grep -q '^error' "$work/ovscript.out"; then cat "$work/ovscript.out"; exit 1; fi

tmux -S "$sock" -f /dev/null new-session -d -x 80 -y 26 "$BUILD/ovterm $host; sleep 600"
until tmux -S "$sock" capture-pane -p | grep -q '^\$'; do sleep 0.1; done
start=$(now)
tmux -S "$sock" send-keys "$command" Enter
until tmux -S "$sock" capture-pane -p | grep -q 'FLOOD-END-2'; do sleep 0.2; done
terminal=$(echo "$(now) - $start" | bc)

printf 'flood %d MB\n' "$MB"
printf 'ovscript  %6.2f s  %6.2f MB/s\n' "$headless" "$(echo "$MB / $headless" | bc -l)"
printf 'ovterm    %6.2f s  %6.2f MB/s\n' "$terminal" "$(echo "$MB / $terminal" | bc -l)"
