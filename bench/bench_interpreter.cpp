// Throughput of the byte interpreter and screen store, compared with libvterm
// on the same screens expressed as VT100 sequences.
//
// Three workloads of at least 50 MiB each, generated deterministically:
//   plain-text   printable lines of varying length ending in CR LF
//   addressing   full-screen repaints: cursor addressing, then a short text run
//   attributes   short words with embedded attribute changes between them
// Each stream is fed in 500-byte blocks (what the transport delivers per read).
// Only the feeding is timed; the best of several runs is reported.
//
// Usage: ovbench [--mib N] [--runs N]
// Always exits 0: it reports figures, and marks those under target.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <vterm.h>

#include "tools/replay/ReplaySession.h"

namespace {

constexpr size_t kBlock = ReplaySession::kBlockSize;
constexpr char ESC = 0x1b;

struct Workload {
    const char* name;
    double targetMBps;
    double targetRatio;  // throughput as a multiple of libvterm's on this machine
    std::string wyse;  // the stream as the host sends it to a Wyse 50
    std::string vt;    // the same screens for a VT100-family terminal
};

// Small deterministic generator (xorshift64*), so every run measures the same bytes.
class Rng {
public:
    explicit Rng(uint64_t seed) : state(seed ? seed : 1) {}
    uint32_t Next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return static_cast<uint32_t>((state * 2685821657736338717ULL) >> 32);
    }
    int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }

private:
    uint64_t state;
};

void AppendText(std::string& a, std::string& b, Rng& rng, int len) {
    for (int i = 0; i < len; ++i) {
        char c = static_cast<char>(rng.Range(0x20, 0x7e));
        a += c;
        b += c;
    }
}

void AppendWord(std::string& a, std::string& b, Rng& rng, int len) {
    for (int i = 0; i < len; ++i) {
        char c = static_cast<char>(rng.Range('a', 'z'));
        a += c;
        b += c;
    }
}

Workload PlainText(size_t minBytes) {
    Workload w{"plain-text", 500, 15, {}, {}};
    Rng rng(0x5eed0001);
    w.wyse.reserve(minBytes + 128);
    w.vt.reserve(minBytes + 128);
    while (w.wyse.size() < minBytes) {
        AppendText(w.wyse, w.vt, rng, rng.Range(0, 79));
        w.wyse += "\r\n";
        w.vt += "\r\n";
    }
    return w;
}

Workload Addressing(size_t minBytes) {
    Workload w{"addressing", 300, 3, {}, {}};
    Rng rng(0x5eed0002);
    w.wyse.reserve(minBytes + 128);
    w.vt.reserve(minBytes * 3 / 2);
    char vtAddress[16];
    while (w.wyse.size() < minBytes) {
        // One repaint: every row gets a few fields at random columns.
        for (int row = 0; row < 24; ++row) {
            const int fields = rng.Range(3, 7);
            for (int f = 0; f < fields; ++f) {
                const int len = rng.Range(3, 12);
                const int col = rng.Range(0, 80 - len);
                w.wyse += ESC;
                w.wyse += '=';
                w.wyse += static_cast<char>(0x20 + row);
                w.wyse += static_cast<char>(0x20 + col);
                std::snprintf(vtAddress, sizeof vtAddress, "\x1b[%d;%dH", row + 1, col + 1);
                w.vt += vtAddress;
                AppendText(w.wyse, w.vt, rng, len);
            }
        }
    }
    return w;
}

Workload Attributes(size_t minBytes) {
    Workload w{"attributes", 250, 6, {}, {}};
    Rng rng(0x5eed0003);
    // Wyse 50 attribute code and the SGR that shows the same thing.
    static const struct { char code; const char* sgr; } kAttrs[] = {
        {'0', "\x1b[0m"},  // normal
        {'4', "\x1b[7m"},  // reverse
        {'8', "\x1b[4m"},  // underline
        {'p', "\x1b[2m"},  // dim
        {'2', "\x1b[5m"},  // blink
    };
    w.wyse.reserve(minBytes + 128);
    w.vt.reserve(minBytes + minBytes / 4);
    while (w.wyse.size() < minBytes) {
        int col = 0;
        for (;;) {
            const int len = rng.Range(2, 7);
            if (col + len + 1 >= 80) break;
            if (rng.Range(0, 1) == 0) {
                const auto& attr = kAttrs[rng.Range(0, 4)];
                w.wyse += ESC;
                w.wyse += 'G';
                w.wyse += attr.code;
                w.vt += attr.sgr;
            }
            AppendWord(w.wyse, w.vt, rng, len);
            w.wyse += ' ';
            w.vt += ' ';
            col += len + 1;
        }
        w.wyse += "\r\n";
        w.vt += "\r\n";
    }
    return w;
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Best of `runs` timings of feed(); setup() runs before each, untimed.
template <typename State>
double BestSeconds(int runs, const std::function<State*()>& setup,
                   const std::function<void(State*)>& feed, const std::function<void(State*)>& teardown) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        State* state = setup();
        const auto start = std::chrono::steady_clock::now();
        feed(state);
        const auto stop = std::chrono::steady_clock::now();
        teardown(state);
        best = std::min(best, Seconds(stop - start));
    }
    return best;
}

double OvtermSeconds(const std::string& bytes, int runs) {
    return BestSeconds<ReplaySession>(
        runs, [] { return new ReplaySession(nullptr); },
        [&](ReplaySession* s) { s->Feed(bytes.data(), bytes.size(), kBlock); },
        [](ReplaySession* s) { delete s; });
}

double VtermSeconds(const std::string& bytes, int runs) {
    return BestSeconds<VTerm>(
        runs,
        [] {
            VTerm* vt = vterm_new(25, 80);
            vterm_set_utf8(vt, 0);
            VTermScreen* screen = vterm_obtain_screen(vt);
            vterm_screen_reset(screen, 1);
            return vt;
        },
        [&](VTerm* vt) {
            for (size_t off = 0; off < bytes.size(); off += kBlock)
                vterm_input_write(vt, bytes.data() + off, std::min(kBlock, bytes.size() - off));
        },
        [](VTerm* vt) { vterm_free(vt); });
}

// The floor: each byte stored into a cell word of an 80x25 store, nothing else.
volatile uint32_t copySink;

double CopyLoopSeconds(const std::string& bytes, int runs) {
    return BestSeconds<std::vector<uint32_t>>(
        runs, [] { return new std::vector<uint32_t>(80 * 25, 0x20); },
        [&](std::vector<uint32_t>* cells) {
            uint32_t* c = cells->data();
            size_t pos = 0;
            for (size_t off = 0; off < bytes.size(); off += kBlock) {
                const size_t end = std::min(off + kBlock, bytes.size());
                for (size_t i = off; i < end; ++i) {
                    c[pos] = (c[pos] & ~0xffu) | static_cast<unsigned char>(bytes[i]);
                    if (++pos == 80 * 25) pos = 0;
                }
            }
            copySink = c[bytes.size() % (80 * 25)];
        },
        [](std::vector<uint32_t>* cells) { delete cells; });
}

double MBps(size_t bytes, double seconds) {
    return seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0;
}

// The emulator writes its files into the current directory: work in a
// directory of our own and remove it afterwards.
class ScratchDir {
public:
    ScratchDir() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ovbench.XXXXXX";
        buffer.assign(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!mkdtemp(buffer.data()) || chdir(buffer.data()) != 0) {
            std::perror("ovbench: cannot make a working directory");
            std::exit(0);
        }
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (chdir("/") == 0) std::filesystem::remove_all(buffer.data(), ignored);
    }

private:
    std::vector<char> buffer;
};

}  // namespace

int main(int argc, char** argv) {
    size_t mib = 50;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--mib") && i + 1 < argc) {
            mib = static_cast<size_t>(std::max(1, std::atoi(argv[++i])));
        } else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: ovbench [--mib N] [--runs N]\n");
            return 0;
        }
    }
    const size_t minBytes = mib << 20;

    ScratchDir scratch;
    std::printf("interpreter throughput, %zu MiB per workload, %zu-byte blocks, best of %d (MB = 10^6 bytes)\n",
                mib, kBlock, runs);
    std::printf("x libvterm = ovterm MB/s / libvterm MB/s; same screens = libvterm time / ovterm time for the\n"
                "same screens (the VT100 streams are longer)\n");
    std::fflush(stdout);

    bool copyReported = false;
    using Generator = Workload (*)(size_t);
    for (Generator make : {PlainText, Addressing, Attributes}) {
        const Workload w = make(minBytes);
        if (!copyReported) {
            const double copy = MBps(w.wyse.size(), CopyLoopSeconds(w.wyse, runs));
            std::printf("%-12s %8.1f MB/s   (bare byte-to-cell copy loop, for reference)\n", "copy-loop", copy);
            copyReported = true;
        }
        const double ovSeconds = OvtermSeconds(w.wyse, runs);
        const double vtSeconds = VtermSeconds(w.vt, runs);
        const double ov = MBps(w.wyse.size(), ovSeconds);
        const double vt = MBps(w.vt.size(), vtSeconds);
        const double times = vt > 0 ? ov / vt : 0.0;
        std::printf("%-12s ovterm %7.1f MB/s   libvterm %6.1f MB/s   %5.1fx libvterm   same screens %5.1fx   "
                    "(target %.0f MB/s, %.0fx libvterm)%s%s\n",
                    w.name, ov, vt, times, ovSeconds > 0 ? vtSeconds / ovSeconds : 0.0, w.targetMBps, w.targetRatio,
                    ov < w.targetMBps ? "   BELOW MB/s TARGET" : "", times < w.targetRatio ? "   BELOW RATIO TARGET" : "");
        std::fflush(stdout);
    }
    return 0;
}
