# shellcheck shell=bash disable=SC2034
# Shared by scripts/test and scripts/run: installs the Debian packages the
# build needs, but only those that are missing.
#
#   source scripts/lib/deps.sh
#   ov_require_packages cmake ninja-build g++

ov_missing_packages() {
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$pkg"
        fi
    done
}

ov_require_packages() {
    local missing
    missing=$(ov_missing_packages "$@")
    if [[ -z "$missing" ]]; then
        return 0
    fi
    # shellcheck disable=SC2086
    set -- $missing
    echo "==> installing missing packages: $*"
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "error: missing packages ($*) and not running as root; install them first" >&2
            return 1
        fi
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"
}

# Packages for a native build of the core and the tools.
# libcups2-dev: the print server (netspoold) prints through libcups.
# libncurses-dev: ovterm draws the session in a terminal through curses.
OV_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libcups2-dev libncurses-dev)
# Everything scripts/test uses: unit tests, benchmark, MinGW cross build,
# clang with libFuzzer and the sanitizers, and for the end-to-end session
# tests a telnet server, the terminal database entry for wy50 and curses
# programs to run on it.
# The Windows programs are cross-built for x86-64 and i686 and the x86-64 ones
# run under Wine on a private Xvfb display; host printing reaches a private
# CUPS scheduler with a raw queue.
# nsis and zip: the setup programs and portable zips of the Windows builds.
OV_TEST_PACKAGES=("${OV_BUILD_PACKAGES[@]}" libgtest-dev googletest libvterm-dev
                  clang libclang-rt-14-dev g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
                  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
                  inetutils-telnetd ncurses-term ncurses-bin dialog coreutils tmux
                  wine wine64 xvfb xauth cups-daemon cups-client cups-bsd libcups2
                  nsis zip)

ov_jobs() {
    nproc 2>/dev/null || echo 2
}
