#!/usr/bin/env bash
# CWinPrinter under Wine against a real CUPS queue: starts a private
# scheduler with a raw capture queue as the default printer, boots a private
# Wine prefix that sees it, runs printprobe.exe and compares every job the
# queue received with the bytes the probe wrote.
#
#   tests/wine/print/run-printprobe.sh [--probe EXE] [--keep]
#
# Without --probe the probe is built with MinGW-w64 in build-wine-print/.
# --keep leaves the work directory (scheduler logs, prefix, jobs) in place.
# Exit 0 when every job holds exactly the expected bytes.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
# shellcheck source=scripts/lib/cups-env.sh
source "$root/scripts/lib/cups-env.sh"

probe="" keep=0
while (($#)); do
    case $1 in
        --probe) probe=$2; shift 2 ;;
        --keep) keep=1; shift ;;
        -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done

started=$SECONDS
if [[ -z "$probe" ]]; then
    echo "==> building printprobe.exe"
    timeout 600 cmake -S "$root/tests/wine/print" -B "$root/build-wine-print" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.toolchain.cmake" >/dev/null
    timeout 600 cmake --build "$root/build-wine-print" -j2 >/dev/null
    probe=$root/build-wine-print/printprobe.exe
fi
probe=$(cd "$(dirname "$probe")" && pwd)/$(basename "$probe")

wine_program=$(command -v wine64 || command -v wine || true)
if [[ -z "$wine_program" ]]; then
    echo "wine is not installed" >&2
    exit 1
fi

work=$(mktemp -d /tmp/ovprintprobe-XXXXXX)
cups=$work/cups jobs=$work/jobs out=$work/out
mkdir -p "$jobs" "$out"
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# No window is needed: the printer driver and the spooler draw nothing.
unset DISPLAY WAYLAND_DISPLAY

cleanup() {
    local status=$?
    # The prefix's own wineserver only (it is found through WINEPREFIX).
    [[ -d "$WINEPREFIX" ]] && timeout 30 wineserver -k 2>/dev/null || true
    ov_cups_stop "$cups"
    if ((keep)); then
        echo "work directory kept: $work"
    else
        rm -rf "$work"
    fi
    exit "$status"
}
trap cleanup EXIT

echo "==> private CUPS scheduler in $cups"
ov_cups_start "$cups"
ov_cups_wait_ready "$cups" 30
ov_cups_add_raw_queue "$cups" ovprobe "$jobs"
ov_cups_set_default "$cups" ovprobe
CUPS_SERVER=$(ov_cups_server "$cups")
export CUPS_SERVER

# Wine takes the CUPS printers, and the CUPS default as its default printer,
# into the prefix when it starts.
echo "==> Wine prefix"
timeout 300 "$wine_program" wineboot -i >"$work/wineboot.log" 2>&1
timeout 60 "$wine_program" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1
device=$(timeout 60 "$wine_program" reg query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' \
    /v device 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ[[:space:]]*//p')
echo "default printer entry: $device"
if [[ "$device" != ovprobe,* ]]; then
    echo "FAIL: Wine did not take the CUPS queue as its default printer" >&2
    exit 1
fi

echo "==> printprobe"
status=0
timeout 120 "$wine_program" "$probe" "$(timeout 30 "$wine_program" winepath -w "$out" | tr -d '\r')" \
    >"$work/probe.log" 2>&1 || status=$?
tr -d '\r' <"$work/probe.log"
if ((status != 0)); then
    echo "FAIL: printprobe ended with $status" >&2
    exit 1
fi

ov_cups_wait_jobs "$jobs" 5 60
# Nothing more may follow (the steps without a default printer print nothing).
sleep 1
mapfile -t received < <(find "$jobs" -maxdepth 1 -name 'job-*.prn' | sort)
if ((${#received[@]} != 5)); then
    echo "FAIL: ${#received[@]} jobs arrived, 5 expected" >&2
    exit 1
fi

failed=0
for n in 1 2 3 4; do
    job=${received[n - 1]}
    if cmp -s "$out/expected-$n.bin" "$job"; then
        echo "job $n: $(stat -c %s "$job") bytes, exactly as written"
    else
        echo "FAIL: job $n ($(basename "$job")) differs from what was written:" >&2
        cmp "$out/expected-$n.bin" "$job" >&2 || true
        failed=1
    fi
done
for n in 1 2; do
    if [[ $(head -c 2 "${received[n - 1]}" | od -An -tx1 | tr -d ' ') != 0d0a ]]; then
        echo "FAIL: job $n does not start with CR LF" >&2
        failed=1
    fi
done

# Job 5 went through the driver's pass-through: report what the driver added.
job=${received[4]}
size=$(stat -c %s "$job") data=$(stat -c %s "$out/file5000.bin")
if tail -c "$data" "$job" | cmp -s - "$out/file5000.bin"; then
    echo "job 5 (pass-through): $size bytes, the file's $data bytes at the end after" \
        "$((size - data)) bytes the driver put first, which begin:"
    head -c "$((size - data))" "$job" | head -n 3 | sed 's/^/    /'
    echo "    ... and end: $(head -c "$((size - data))" "$job" | tail -n 1)"
else
    echo "job 5 (pass-through): $size bytes; the file's bytes are not its tail"
fi

echo "==> $(basename "$0"): $( ((failed)) && echo FAILED || echo passed) in $((SECONDS - started)) s"
exit "$failed"
