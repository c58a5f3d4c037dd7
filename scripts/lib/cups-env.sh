# shellcheck shell=bash
# A private CUPS scheduler for the tests: its own configuration, spool, logs
# and local socket under one directory, started as an ordinary child process
# (`cupsd -f`), with raw queues whose backend writes each job's bytes
# unchanged to a file of its own. Nothing outside the directory is changed.
#
#   source scripts/lib/cups-env.sh
#   ov_cups_start "$dir" || exit 1       # writes the configuration, starts cupsd
#   ov_cups_wait_ready "$dir" 30         # until the scheduler answers
#   ov_cups_add_raw_queue "$dir" probe "$dir/jobs"
#   ov_cups_set_default "$dir" probe
#   export CUPS_SERVER; CUPS_SERVER=$(ov_cups_server "$dir")
#   ...                                  # clients print; job files appear
#   ov_cups_wait_jobs "$dir/jobs" 3 30   # until three jobs have arrived
#   ov_cups_stop "$dir"
#
# Every function takes the directory first and keeps its state there, so
# separate shells (or a C++ test through bash) can share one scheduler.
# Job files are "<outdir>/job-<id>.prn" (the id zero-padded to six digits);
# each appears complete, by a rename, once the backend has read the whole job,
# with the job's title in "<outdir>/job-<id>.title".

OV_CUPS_SYSTEM_BIN=${OV_CUPS_SYSTEM_BIN:-/usr/lib/cups}
OV_CUPS_SYSTEM_DATA=${OV_CUPS_SYSTEM_DATA:-/usr/share/cups}

# The value for CUPS_SERVER: the scheduler's local socket.
ov_cups_server() {
    printf '%s\n' "$1/cupsd.sock"
}

# Runs a CUPS client program against the private scheduler.
ov_cups_client() {
    local dir=$1
    shift
    CUPS_SERVER=$(ov_cups_server "$dir") timeout 30 "$@"
}

_ov_cups_write_backend() {
    # Device URI "ovcapture:/absolute/dir". Without arguments CUPS asks for the
    # devices the backend can find: none. With five arguments the job is on
    # standard input, with six in the named file.
    cat >"$1" <<'EOF'
#!/bin/sh
[ $# -eq 0 ] && exit 0
umask 022
dir=${DEVICE_URI#ovcapture:}
case $dir in /*) ;; *) echo "ERROR: bad device URI $DEVICE_URI" >&2; exit 1 ;; esac
name=$(printf 'job-%06d' "$1")
# The job's title beside its bytes, written first: a job file never appears
# without its title.
printf '%s' "$3" >"$dir/$name.title" || exit 1
if [ $# -ge 6 ]; then cat -- "$6"; else cat; fi >"$dir/.$name.part" || exit 1
mv -f -- "$dir/.$name.part" "$dir/$name.prn" || exit 1
exit 0
EOF
}

# Writes the configuration under DIR and starts the scheduler in the
# background; its process id goes to DIR/cupsd.pid.
ov_cups_start() {
    local dir=$1
    if [[ -z "$dir" ]]; then
        echo "ov_cups_start: no directory" >&2
        return 1
    fi
    if ! command -v cupsd >/dev/null 2>&1 && [[ ! -x /usr/sbin/cupsd ]]; then
        echo "ov_cups_start: cupsd is not installed (Debian package cups-daemon)" >&2
        return 1
    fi
    mkdir -p "$dir" || return 1
    dir=$(cd "$dir" && pwd) || return 1
    local sock
    sock=$(ov_cups_server "$dir")
    if (( ${#sock} > 100 )); then
        echo "ov_cups_start: socket path too long for a local socket: $sock" >&2
        return 1
    fi
    mkdir -p "$dir"/{etc/ppd,etc/ssl,bin/backend,spool/tmp,cache,state,log} || return 1
    # cupsd refuses a spool or state directory that others may write to.
    chmod 0755 "$dir" "$dir"/{etc,bin,bin/backend,cache,state,log} || return 1
    chmod 0710 "$dir/spool" && chmod 0700 "$dir/spool/tmp" "$dir/etc/ssl" || return 1

    # Backends, filters and helpers: the system's, except the backend folder,
    # which holds only the capture backend.
    local sub
    for sub in cgi-bin daemon driver filter monitor notifier; do
        [[ -e "$OV_CUPS_SYSTEM_BIN/$sub" ]] && ln -sfn "$OV_CUPS_SYSTEM_BIN/$sub" "$dir/bin/$sub"
    done
    _ov_cups_write_backend "$dir/bin/backend/ovcapture" || return 1
    # Mode 0700: when the scheduler runs as root, such a backend runs as root
    # too and can write wherever the caller asks; otherwise everything runs as
    # the calling user anyway.
    chmod 0700 "$dir/bin/backend/ovcapture" || return 1

    # As root the scheduler runs its helpers as lp; otherwise everything runs
    # as the calling user, and only the administrators' group must differ
    # from the helpers' group.
    local identity
    if [[ $(id -u) -eq 0 ]]; then
        identity=$'User lp\nGroup lp\nSystemGroup root'
    else
        identity="SystemGroup $(id -gn)"
    fi
    cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
StateDir $dir/state
CacheDir $dir/cache
RequestRoot $dir/spool
TempDir $dir/spool/tmp
ServerBin $dir/bin
DataDir $OV_CUPS_SYSTEM_DATA
DocumentRoot $OV_CUPS_SYSTEM_DATA/doc-root
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerKeychain $dir/etc/ssl
Printcap $dir/state/printcap
$identity
FileDevice No
EOF
    cat >"$dir/etc/cupsd.conf" <<EOF
Listen $sock
LogLevel info
MaxLogSize 0
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
DefaultAuthType None
PreserveJobHistory No
PreserveJobFiles No
JobRetryLimit 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues none
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    # Raw data must be accepted whatever it looks like.
    local f
    for f in raw.types raw.convs; do
        [[ -r "/etc/cups/$f" ]] && cp "/etc/cups/$f" "$dir/etc/$f"
    done
    : >"$dir/log/error_log"

    local cupsd
    cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
    rm -f "$sock"
    "$cupsd" -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" \
        </dev/null >>"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.pid"
}

# Waits until the scheduler answers, at most SECONDS (default 30).
ov_cups_wait_ready() {
    local dir=$1 seconds=${2:-30}
    local pid
    pid=$(cat "$dir/cupsd.pid" 2>/dev/null) || return 1
    local deadline=$((SECONDS + seconds))
    while ((SECONDS < deadline)); do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "ov_cups_wait_ready: cupsd ended; its log:" >&2
            tail -n 20 "$dir/log/error_log" "$dir/log/cupsd.out" >&2 2>/dev/null
            return 1
        fi
        if [[ -S $(ov_cups_server "$dir") ]] &&
            CUPS_SERVER=$(ov_cups_server "$dir") timeout 5 lpstat -r 2>/dev/null | grep -q 'is running'; then
            return 0
        fi
        sleep 0.2
    done
    echo "ov_cups_wait_ready: no answer from cupsd within ${seconds}s" >&2
    return 1
}

# Adds an enabled, accepting raw queue NAME whose jobs land in OUTDIR.
ov_cups_add_raw_queue() {
    local dir=$1 name=$2 outdir=$3
    mkdir -p "$outdir" || return 1
    outdir=$(cd "$outdir" && pwd) || return 1
    ov_cups_client "$dir" lpadmin -p "$name" -E -v "ovcapture:$outdir" \
        -o printer-error-policy=abort-job || return 1
    ov_cups_client "$dir" cupsenable "$name" && ov_cups_client "$dir" cupsaccept "$name"
}

ov_cups_set_default() {
    ov_cups_client "$1" lpadmin -d "$2"
}

# Waits until OUTDIR holds COUNT job files, at most SECONDS (default 30).
ov_cups_wait_jobs() {
    local outdir=$1 count=$2 seconds=${3:-30}
    local deadline=$((SECONDS + seconds)) have
    while ((SECONDS < deadline)); do
        have=$(find "$outdir" -maxdepth 1 -name 'job-*.prn' 2>/dev/null | wc -l)
        ((have >= count)) && return 0
        sleep 0.2
    done
    echo "ov_cups_wait_jobs: $have of $count jobs in $outdir after ${seconds}s" >&2
    return 1
}

# Stops the scheduler started in DIR (waiting at most 10 s, then kills it).
ov_cups_stop() {
    local dir=$1 pid
    pid=$(cat "$dir/cupsd.pid" 2>/dev/null) || return 0
    rm -f "$dir/cupsd.pid"
    kill -TERM "$pid" 2>/dev/null || return 0
    local i
    for ((i = 0; i < 50; i++)); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.2
    done
    kill -KILL "$pid" 2>/dev/null
    return 0
}
