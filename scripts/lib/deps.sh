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

# A package of another architecture (NAME:ARCH, such as wine32:i386) can be
# listed by apt-get update only once dpkg knows that architecture (multiarch).
# Uses the caller's "sudo" array.
ov_enable_architectures() {
    local pkg arch native
    native=$(dpkg --print-architecture)
    for pkg in "$@"; do
        [[ $pkg == *:* ]] || continue
        arch=${pkg##*:}
        [[ $arch == "$native" || $arch == all || $arch == any ]] && continue
        if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
            echo "==> enabling the $arch architecture for $pkg"
            "${sudo[@]}" dpkg --add-architecture "$arch" || return 1
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
    ov_enable_architectures "$@" || return 1
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"
}

# Packages for a native build of the core and the tools.
# libcups2-dev: the print server (netspoold) prints through libcups.
# libncurses-dev: ovterm draws the session in a terminal through curses.
# python3 and xfonts-base: the screen's built-in font is made from one of
# xfonts-base's bitmap fonts at build time.
OV_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libcups2-dev libncurses-dev python3 xfonts-base)
# Fonts the Wine tests meet: Wine's own, and those an ordinary desktop has
# (the terminal must look the same with or without them).
OV_DESKTOP_FONT_PACKAGES=(fonts-wine fonts-dejavu-core fonts-noto-mono fonts-liberation2 fonts-urw-base35)
# Everything scripts/test uses: unit tests, benchmark, MinGW cross build,
# clang with libFuzzer and the sanitizers, and for the end-to-end session
# tests a telnet server, the terminal database entry for wy50 and curses
# programs to run on it.
# The Windows programs are cross-built for x86-64 and i686 and run under Wine
# on a private Xvfb display; host printing reaches a private CUPS scheduler
# with a raw queue.
# nsis and zip: the setup programs and portable zips of the Windows builds.
OV_TEST_PACKAGES=("${OV_BUILD_PACKAGES[@]}" libgtest-dev googletest libvterm-dev
                  clang libclang-rt-14-dev g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
                  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
                  inetutils-telnetd ncurses-term ncurses-bin dialog coreutils tmux
                  wine wine64 xvfb xauth cups-daemon cups-client cups-bsd libcups2
                  nsis zip "${OV_DESKTOP_FONT_PACKAGES[@]}")
# The i686 programs run under Debian's 32-bit Wine, which comes from the i386
# architecture (ov_require_packages enables it). Wine loads libcups (printing)
# and the X extensions at run time and only recommends them: listed so that
# 32-bit Wine prints and draws as the 64-bit one does.
OV_WINE32_PACKAGES=()
if [[ $(dpkg --print-architecture 2>/dev/null) == amd64 ]]; then
    OV_WINE32_PACKAGES=(wine32:i386 libcups2:i386 libxrender1:i386 libxext6:i386 libxfixes3:i386
                        libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxinerama1:i386 libxcomposite1:i386)
    OV_TEST_PACKAGES+=("${OV_WINE32_PACKAGES[@]}")
fi

ov_jobs() {
    nproc 2>/dev/null || echo 2
}
