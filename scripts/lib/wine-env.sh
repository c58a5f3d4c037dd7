# shellcheck shell=bash
# A private Wine environment for running the Windows programs in the tests: its
# own Xvfb display (the clipboard is shared through the display) and its own
# Wine prefix, set up so that nothing waits for a window manager or a user.
#
#   source scripts/lib/wine-env.sh
#   ov_wine_start [DIR]     # sets up DIR (default: a new temporary directory)
#   ov_wine_run PROGRAM.exe ARGS...   # runs a program in it (foreground)
#   ov_wine_stop            # ends its wineserver and Xvfb and removes DIR
#
# ov_wine_start exports DISPLAY, WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES,
# OV_WINE_DIR, OV_WINE_LOADER (x86-64 programs) and OV_WINE_LOADER32 (i686
# programs; empty without Debian's wine32), and writes them as KEY=VALUE lines
# to DIR/env for programs that run later. Creating the prefix takes 11 to 17 s,
# so set up one environment per test run.
#
# The prefix is a 64-bit one; with wine32 installed it runs i686 programs as
# well (WoW64). ov_wine_run picks the loader by the program's own machine type.
#
# OV_WINE_PREFIX_CACHE=DIR keeps a pristine prefix in DIR and copies it instead
# of creating a new one (about 1 s; rebuilt when the Wine version changes or
# wine32 comes or goes: a prefix booted without it cannot run i686 programs).
# OV_WINE_KEEP=1 leaves DIR in place after ov_wine_stop, for a look at logs.
#
# Printing: before the prefix boots, a private CUPS scheduler (cups-env.sh)
# starts in DIR/cups with one raw queue, "ovwine", as its default, and
# CUPS_SERVER points every Wine process at it, so the prefix's default
# printer is that queue. Each job lands unchanged in DIR/print-jobs as
# job-NNNNNN.prn. ov_wine_start exports OV_WINE_PRINTER (the queue) and
# OV_WINE_PRINT_JOBS (that directory) as well; without cupsd it warns and
# leaves both empty (Wine then has no printer).

# Setups of the desktop the programs meet (for the tests that must hold on
# any of them), each read by ov_wine_start:
#   OV_WINE_FONTS=none  only Wine's own fonts: a private fontconfig file whose
#                       one font folder is Wine's (Debian's Wine finds even its
#                       own fonts through fontconfig; with none at all its
#                       menu bars swallow the client area)
#   OV_WINE_LANG=LOCALE the locale Wine takes its code pages from, e.g.
#                       ru_RU.UTF-8 (OEM 866) or ja_JP.UTF-8 (OEM 932); no
#                       glibc locale of that name is needed
#   OV_WINE_DPI=N       the prefix's DPI (its LogPixels), e.g. 192
# Without them Wine sees the machine's fonts, the C locale's code pages
# (OEM 437) and 96 DPI.

# shellcheck source=scripts/lib/cups-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/cups-env.sh"

OV_WINE_QUEUE=ovwine

# The x86-64 loader: Debian ships it as /usr/lib/wine/wine64 without putting it
# on the path; the "wine" wrapper would pick a 32-bit loader when present.
ov_wine_loader() {
    if command -v wine64 >/dev/null 2>&1; then
        command -v wine64
    elif [[ -x /usr/lib/wine/wine64 ]]; then
        echo /usr/lib/wine/wine64
    else
        echo "ov_wine_loader: no wine64 (install wine64)" >&2
        return 1
    fi
}

# The i686 loader, from Debian's wine32:i386 (multiarch). Prints nothing and
# fails without it. The "wine" wrapper is no substitute: without wine32 it
# falls back to wine64.
ov_wine_loader32() {
    if [[ -x /usr/lib/wine/wine ]]; then
        echo /usr/lib/wine/wine
    else
        return 1
    fi
}

# The machine a Windows program is built for, from its PE header: i686,
# x86-64, or unknown (not a PE image, or another machine).
ov_wine_program_arch() {
    local exe=$1 offset machine
    offset=$(od -An -tu4 -j 60 -N 4 "$exe" 2>/dev/null | tr -d ' ') || offset=""
    if [[ -z "$offset" || "$(od -An -c -j "$offset" -N 4 "$exe" 2>/dev/null | tr -d ' ')" != 'PE\0\0' ]]; then
        echo unknown
        return 0
    fi
    machine=$(od -An -tx2 -j $((offset + 4)) -N 2 "$exe" | tr -d ' ')
    case $machine in
        014c) echo i686 ;;
        8664) echo x86-64 ;;
        *) echo unknown ;;
    esac
}

# The wineserver matching that loader.
ov_wine_server() {
    if command -v wineserver >/dev/null 2>&1; then
        command -v wineserver
    elif [[ -x /usr/lib/wine/wineserver64 ]]; then
        echo /usr/lib/wine/wineserver64
    else
        echo "ov_wine_server: no wineserver" >&2
        return 1
    fi
}

# Starts Xvfb on the first free display (Xvfb picks it: -displayfd) and waits
# until it takes connections. Sets DISPLAY; the pid goes to DIR/xvfb.pid.
ov_wine_start_xvfb() {
    local dir=$1 fd_file="$1/xvfb.display" i
    command -v Xvfb >/dev/null 2>&1 || { echo "ov_wine_start: no Xvfb (install xvfb)" >&2; return 1; }
    : >"$fd_file"
    # The display number arrives on descriptor 3 once the server is ready.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$fd_file" >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    for ((i = 0; i < 200; i++)); do
        if [[ -s "$fd_file" ]] && grep -q '^[0-9][0-9]*$' "$fd_file"; then
            DISPLAY=":$(head -n 1 "$fd_file")"
            export DISPLAY
            return 0
        fi
        if ! kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then
            echo "ov_wine_start: Xvfb exited:" >&2
            cat "$dir/xvfb.log" >&2
            return 1
        fi
        sleep 0.05
    done
    echo "ov_wine_start: Xvfb gave no display number within 10 s" >&2
    return 1
}

# The registry settings every test prefix needs.
ov_wine_write_settings() {
    local reg="$OV_WINE_DIR/settings.reg"
    # Managed=N: without a window manager, Wine otherwise waits about 2 s on
    # every hide or destroy of a managed window. No crash dialog: a crash must
    # end the run, not wait for someone to click.
    cat >"$reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
    "$OV_WINE_LOADER" regedit /S "$(ov_wine_path "$reg")" >>"$OV_WINE_DIR/wine.log" 2>&1
}

# Fonts and locale of the setup, for every process of the environment.
ov_wine_setup_locale_and_fonts() {
    local dir=$1
    export OV_WINE_SETUP_VARS=""
    if [[ "${OV_WINE_FONTS:-}" == none ]]; then
        mkdir -p "$dir/fontconfig-cache"
        cat >"$dir/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig><dir>/usr/share/wine/fonts</dir><cachedir>$dir/fontconfig-cache</cachedir></fontconfig>
EOF
        export FONTCONFIG_FILE="$dir/fonts.conf"
        OV_WINE_SETUP_VARS+=" FONTCONFIG_FILE"
    fi
    if [[ -n "${OV_WINE_LANG:-}" ]]; then
        export LANG=$OV_WINE_LANG LC_ALL=$OV_WINE_LANG
        OV_WINE_SETUP_VARS+=" LANG LC_ALL"
    fi
}

# The setup's DPI, in both places Wine reads it from.
ov_wine_setup_dpi() {
    [[ -n "${OV_WINE_DPI:-}" ]] || return 0
    local reg="$OV_WINE_DIR/dpi.reg" hex
    hex=$(printf '%08x' "$OV_WINE_DPI")
    cat >"$reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:$hex

[HKEY_CURRENT_CONFIG\Software\Fonts]
"LogPixels"=dword:$hex
EOF
    "$OV_WINE_LOADER" regedit /S "$(ov_wine_path "$reg")" >>"$OV_WINE_DIR/wine.log" 2>&1
}

# The Windows path of a Unix file inside the prefix's view (Z: is the root).
ov_wine_path() {
    printf 'Z:%s\n' "${1//\//\\}"
}

ov_wine_create_prefix() {
    # No Mono or Gecko installer: the programs need neither, and the prompt
    # would wait for a user.
    WINEDLLOVERRIDES="mscoree,mshtml=" "$OV_WINE_LOADER" wineboot -i >>"$OV_WINE_DIR/wine.log" 2>&1 || {
        echo "ov_wine_start: wineboot failed; see $OV_WINE_DIR/wine.log" >&2
        return 1
    }
    ov_wine_write_settings || { echo "ov_wine_start: regedit failed" >&2; return 1; }
    # wineboot returns before the prefix is written out; the server writes
    # the registry when it ends.
    "$OV_WINE_SERVER" -w
}

# Starts the private scheduler in DIR/cups with the raw default queue and
# exports CUPS_SERVER, OV_WINE_PRINTER and OV_WINE_PRINT_JOBS. Must run before
# the prefix boots: Wine takes the scheduler's default as its own then.
ov_wine_start_cups() {
    local dir=$1
    export OV_WINE_PRINTER="" OV_WINE_PRINT_JOBS=""
    if ! ov_cups_start "$dir/cups" >>"$dir/cups.log" 2>&1 ||
        ! ov_cups_wait_ready "$dir/cups" 60 >>"$dir/cups.log" 2>&1 ||
        ! ov_cups_add_raw_queue "$dir/cups" "$OV_WINE_QUEUE" "$dir/print-jobs" >>"$dir/cups.log" 2>&1 ||
        ! ov_cups_set_default "$dir/cups" "$OV_WINE_QUEUE" >>"$dir/cups.log" 2>&1; then
        echo "ov_wine_start: no private CUPS scheduler, so no printer (see $dir/cups.log)" >&2
        ov_cups_stop "$dir/cups"
        # Keep Wine away from any other scheduler.
        export CUPS_SERVER="$dir/cups/none.sock"
        return 0
    fi
    CUPS_SERVER=$(ov_cups_server "$dir/cups")
    export CUPS_SERVER
    OV_WINE_PRINTER=$OV_WINE_QUEUE
    OV_WINE_PRINT_JOBS=$dir/print-jobs
}

ov_wine_start() {
    local dir=${1:-}
    if [[ -z "$dir" ]]; then
        dir=$(mktemp -d "${TMPDIR:-/tmp}/ovwine.XXXXXX") || return 1
    fi
    mkdir -p "$dir" || return 1
    dir=$(cd "$dir" && pwd)
    export OV_WINE_DIR=$dir
    OV_WINE_LOADER=$(ov_wine_loader) || return 1
    OV_WINE_SERVER=$(ov_wine_server) || return 1
    OV_WINE_LOADER32=$(ov_wine_loader32) || OV_WINE_LOADER32=""
    export OV_WINE_LOADER OV_WINE_SERVER OV_WINE_LOADER32
    export WINEPREFIX="$dir/prefix"
    export WINEDEBUG=-all
    export WINEARCH=win64
    export WINEDLLOVERRIDES="mscoree,mshtml="
    local started=$SECONDS
    ov_wine_setup_locale_and_fonts "$dir"
    ov_wine_start_xvfb "$dir" || return 1
    ov_wine_start_cups "$dir"
    # A cached prefix may have been booted against another scheduler: Wine
    # brings its printer list in line with CUPS whenever a process loads the
    # spooler, and the queue's name is the same in every run.
    if [[ -n "${OV_WINE_PREFIX_CACHE:-}" ]]; then
        # Locked: runs started together must not build the cache twice or
        # copy it half-built.
        (
            flock 9 || exit 1
            version=$("$OV_WINE_LOADER" --version 2>/dev/null)
            if [[ -n "$OV_WINE_LOADER32" ]]; then
                version="$version with 32-bit $("$OV_WINE_LOADER32" --version 2>/dev/null)"
            fi
            if [[ ! -f "$OV_WINE_PREFIX_CACHE/version" || "$(cat "$OV_WINE_PREFIX_CACHE/version")" != "$version" ]]; then
                rm -rf "$OV_WINE_PREFIX_CACHE"
                mkdir -p "$OV_WINE_PREFIX_CACHE" || exit 1
                WINEPREFIX="$OV_WINE_PREFIX_CACHE/prefix" ov_wine_create_prefix || exit 1
                echo "$version" >"$OV_WINE_PREFIX_CACHE/version"
            fi
            cp -a "$OV_WINE_PREFIX_CACHE/prefix" "$WINEPREFIX"
        ) 9>"$OV_WINE_PREFIX_CACHE.lock" || return 1
    else
        ov_wine_create_prefix || return 1
    fi
    # One server for the whole run: it stays up between programs (-p) instead
    # of starting again for each, and ov_wine_stop ends it.
    "$OV_WINE_SERVER" -p
    ov_wine_setup_dpi || { echo "ov_wine_start: could not set the DPI" >&2; return 1; }
    {
        echo "OV_WINE_DIR=$OV_WINE_DIR"
        echo "OV_WINE_LOADER=$OV_WINE_LOADER"
        echo "OV_WINE_LOADER32=$OV_WINE_LOADER32"
        echo "OV_WINE_SERVER=$OV_WINE_SERVER"
        echo "DISPLAY=$DISPLAY"
        echo "WINEPREFIX=$WINEPREFIX"
        echo "WINEDEBUG=$WINEDEBUG"
        echo "WINEARCH=$WINEARCH"
        echo "WINEDLLOVERRIDES=$WINEDLLOVERRIDES"
        echo "CUPS_SERVER=$CUPS_SERVER"
        echo "OV_WINE_PRINTER=$OV_WINE_PRINTER"
        echo "OV_WINE_PRINT_JOBS=$OV_WINE_PRINT_JOBS"
        local var
        for var in $OV_WINE_SETUP_VARS; do echo "$var=${!var}"; done
    } >"$dir/env"
    echo "$((SECONDS - started))" >"$dir/start-seconds"
}

# Runs a Windows program in the environment, in the foreground, with the
# loader for its machine type (Wine's own programs by name take wine64).
ov_wine_run() {
    local loader=$OV_WINE_LOADER
    if [[ -f "$1" && "$(ov_wine_program_arch "$1")" == i686 ]]; then
        if [[ -z "${OV_WINE_LOADER32:-}" ]]; then
            echo "ov_wine_run: $1 is an i686 program and there is no 32-bit Wine (install wine32:i386)" >&2
            return 1
        fi
        loader=$OV_WINE_LOADER32
    fi
    "$loader" "$@"
}

# Ends everything ov_wine_start started: the prefix's wineserver (and with it
# every Wine process of the prefix), the scheduler, then Xvfb. Safe to call
# twice.
ov_wine_stop() {
    local dir=${1:-${OV_WINE_DIR:-}}
    [[ -n "$dir" && -d "$dir" ]] || return 0
    local server=${OV_WINE_SERVER:-$(ov_wine_server)}
    if [[ -d "$dir/prefix" ]]; then
        WINEPREFIX="$dir/prefix" "$server" -k 2>/dev/null || true
        # -k only signals; wait until the processes are gone before the
        # prefix is removed under them.
        WINEPREFIX="$dir/prefix" timeout 10 "$server" -w 2>/dev/null || true
    fi
    ov_cups_stop "$dir/cups"
    if [[ -f "$dir/xvfb.pid" ]]; then
        local pid
        pid=$(cat "$dir/xvfb.pid")
        kill "$pid" 2>/dev/null || true
        local i
        for ((i = 0; i < 50; i++)); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null || true
        rm -f "$dir/xvfb.pid"
    fi
    if [[ "${OV_WINE_KEEP:-0}" != 1 ]]; then
        rm -rf "$dir"
    fi
}

# Waits until process PID is gone, then stops the environment in DIR: started
# in the background by a test program, it cleans up even when that program is
# killed outright.
ov_wine_stop_after() {
    local pid=$1 dir=$2
    while kill -0 "$pid" 2>/dev/null; do
        sleep 1
    done
    ov_wine_stop "$dir"
}
