// netspoold: the print server for Linux. Each of the four ports is served on
// a thread of its own and prints through CUPS; status lines go to standard
// output with a timestamp, messages to standard error.
#include <pthread.h>
#include <signal.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "netspool/PortSetup.h"
#include "netspool/PrintServer.h"
#include "netspool/StatusText.h"
#include "netspool/posix/CupsSpooler.h"
#include "netspool/posix/PosixServerSockets.h"

namespace {

using namespace netspool;

constexpr char kProgram[] = "netspoold";
// How often a port's thread looks at the stop request while idle.
constexpr int kWaitSliceMs = 200;

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: %s [--base-port N] [--address A]\n"
                 "       %s --list\n"
                 "       %s --set PORT PRINTER|None\n"
                 "\n"
                 "Serves ports 10 to 13: everything a client sends over one connection is\n"
                 "printed unchanged as one raw job on the CUPS queue assigned to the port.\n"
                 "\n"
                 "  --base-port N   listen on TCP ports N to N+3 instead of 10 to 13\n"
                 "  --address A     listen on this IPv4 address only (default: all)\n"
                 "  --receive-buffer BYTES  read each port's data in chunks of this size\n"
                 "                  (default 65536; for measurements)\n"
                 "  --list          show the four assignments and the printers available\n"
                 "  --set PORT P    assign printer P (a CUPS queue, or None) to port PORT\n"
                 "                  (10 to 13, whatever --base-port says)\n"
                 "  --help          show this text\n"
                 "\n"
                 "Assignments are kept in $XDG_CONFIG_HOME/winovterm/registry.reg under\n"
                 "SOFTWARE\\NetSpool\\Printers; the scheduler is found as every CUPS client\n"
                 "finds it (CUPS_SERVER, client.conf).\n",
                 kProgram, kProgram, kProgram);
}

// Status lines with a timestamp on standard output (one lock, so that the
// ports' threads never mix their lines), messages on standard error.
class CDaemonFrontEnd : public CServerFrontEnd {
public:
    void ShowStatusLine(const char* text) override {
        char stamp[32];
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
        std::lock_guard<std::mutex> lock(mutex);
        std::fprintf(stdout, "%s %s\n", stamp, text ? text : "");
        std::fflush(stdout);
    }
    void ShowMessage(const char* text, const char* caption) override { Report(text, caption); }
    void ShowWarning(const char* text, const char* caption) override { Report(text, caption); }

private:
    void Report(const char* text, const char* caption) {
        std::lock_guard<std::mutex> lock(mutex);
        std::fprintf(stderr, "%s: %s: %s\n", kProgram, caption ? caption : "", text ? text : "");
        std::fflush(stderr);
    }
    std::mutex mutex;
};

bool ParseNumber(const char* text, long low, long high, long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

int ListAssignments() {
    std::array<PrinterPort, kPortCount> ports;
    LoadPortPrinters(ports);
    for (int i = 0; i < kPortCount; ++i)
        std::printf("Port %d: %s\n", kFirstPortNumber + i, ports[static_cast<std::size_t>(i)].printerName);
    CCupsSpooler spooler;
    const std::vector<std::string> printers = spooler.InstalledPrinters();
    std::printf("Printers available:%s\n", printers.empty() ? " none" : "");
    for (const std::string& name : printers) std::printf("  %s\n", name.c_str());
    if (printers.empty() && !spooler.LastError().empty())
        std::fprintf(stderr, "%s: %s\n", kProgram, spooler.LastError().c_str());
    return 0;
}

// The setup dialog's rules: the port's list offers its stored text, the
// CUPS destinations and "None"; the name given is matched against it as the
// drop-down list matches (whole text, case ignored) and stored as listed.
int SetAssignment(const char* portText, const char* printerText) {
    long portNumber = 0;
    if (!ParseNumber(portText, kFirstPortNumber, kFirstPortNumber + kPortCount - 1, portNumber)) {
        std::fprintf(stderr, "%s: no such port: %s (the ports are 10, 11, 12 and 13)\n", kProgram, portText);
        return 2;
    }
    const int index = static_cast<int>(portNumber - kFirstPortNumber);
    std::array<PrinterPort, kPortCount> ports;
    LoadPortPrinters(ports);
    CCupsSpooler spooler;
    const std::vector<std::string> installed = spooler.InstalledPrinters();
    const PrinterPort& port = ports[static_cast<std::size_t>(index)];
    // The port's name is its stored text, "None" when nothing is stored: the
    // list's first item.
    const std::vector<std::string> offered = BuildPortList(port.printerName, installed, port.printerSet != 0);
    const std::string wanted = std::string(printerText).substr(0, kPrinterNameSize - 1);
    const std::string* match = nullptr;
    for (const std::string& item : offered) {
        if (!item.empty() && SameItemText(item, wanted)) {
            match = &item;
            break;
        }
    }
    if (!match) {
        std::fprintf(stderr, "%s: unknown printer \"%s\" for port %ld; nothing changed.\n", kProgram, printerText,
                     portNumber);
        if (installed.empty()) {
            std::fprintf(stderr, "No CUPS printer is available%s%s\n", spooler.LastError().empty() ? "" : ": ",
                         spooler.LastError().c_str());
        } else {
            std::fprintf(stderr, "Printers available:\n");
            for (const std::string& name : installed) std::fprintf(stderr, "  %s\n", name.c_str());
        }
        std::fprintf(stderr, "Use None to leave the port without a printer.\n");
        return 1;
    }
    std::array<std::string, kPortCount> chosen;
    for (int i = 0; i < kPortCount; ++i) chosen[static_cast<std::size_t>(i)] = ports[static_cast<std::size_t>(i)].printerName;
    chosen[static_cast<std::size_t>(index)] = *match;
    ApplyPrinterSetup(ports, chosen);
    std::printf("Port %ld: %s\n", portNumber, ports[static_cast<std::size_t>(index)].printerName);
    return 0;
}

std::atomic<bool> stopRequested{false};

void ServePort(CPrintServer& server, CPosixServerSockets& sockets, int index) {
    while (!stopRequested.load()) {
        const unsigned event = sockets.WaitForEvent(index, kWaitSliceMs);
        if (event != 0) server.OnSocketEvent(index, event);
    }
    // A connection still open at the stop is cut; what arrived is printed.
    // (Not drained to its end: a client that never stops sending would hold
    // up the stop.)
    server.EndConnection(index);
}

int Serve(int basePort, const std::string& address, std::size_t receiveBuffer) {
    // Blocked in every thread; the main thread takes them with sigwait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    CDaemonFrontEnd frontEnd;
    CPosixServerSockets sockets(address);
    std::array<CCupsSpooler, kPortCount> spoolers;
    ServerOptions options;
    options.basePort = basePort;
    options.receiveBufferSize = receiveBuffer;
    options.bufferPerPort = true;
    options.reloadAssignmentOnAccept = true;
    CPrintServer server(sockets, frontEnd, {&spoolers[0], &spoolers[1], &spoolers[2], &spoolers[3]}, options);

    const StartResult started = server.Start();
    if (started != StartResult::kStarted) {
        if (started == StartResult::kListenerFailed) {
            int failed = 0;
            while (failed < kPortCount - 1 && server.Port(failed + 1).listening != 0) ++failed;
            std::fprintf(stderr, "%s: cannot listen on TCP port %d%s%s: %s\n", kProgram, basePort + failed,
                         address.empty() ? "" : " of ", address.c_str(), std::strerror(sockets.LastError()));
        }
        return 1;
    }
    frontEnd.ShowStatusLine(kGreetingLine);
    if (basePort != kFirstPortNumber || !address.empty()) {
        std::string where = "Ports 10 to 13 use TCP ports " + std::to_string(basePort) + " to " +
                            std::to_string(basePort + kPortCount - 1);
        if (!address.empty()) where += " on " + address;
        frontEnd.ShowStatusLine(where.c_str());
    }

    std::vector<std::thread> threads;
    for (int i = 0; i < kPortCount; ++i) threads.emplace_back(ServePort, std::ref(server), std::ref(sockets), i);
    int received = 0;
    while (sigwait(&stopSignals, &received) != 0) {
    }
    stopRequested.store(true);
    for (std::thread& thread : threads) thread.join();
    server.Shutdown();
    frontEnd.ShowStatusLine(kShutdownLine);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    long basePort = kFirstPortNumber;
    std::string address;
    long receiveBuffer = static_cast<long>(kReceiveBufferSize);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        } else if (arg == "--list") {
            return ListAssignments();
        } else if (arg == "--set") {
            if (i + 2 >= argc) {
                std::fprintf(stderr, "%s: --set needs a port and a printer (or None)\n", kProgram);
                return 2;
            }
            return SetAssignment(argv[i + 1], argv[i + 2]);
        } else if (arg == "--base-port" && hasValue) {
            if (!ParseNumber(argv[++i], 1, 65535 - (kPortCount - 1), basePort)) {
                std::fprintf(stderr, "%s: bad base port: %s (1 to %d)\n", kProgram, argv[i], 65535 - (kPortCount - 1));
                return 2;
            }
        } else if (arg == "--receive-buffer" && hasValue) {
            if (!ParseNumber(argv[++i], 1, 64L * 1024 * 1024, receiveBuffer)) {
                std::fprintf(stderr, "%s: bad receive buffer size: %s (1 to 67108864)\n", kProgram, argv[i]);
                return 2;
            }
        } else if (arg == "--address" && hasValue) {
            address = argv[++i];
        } else {
            std::fprintf(stderr, "%s: unknown or incomplete option: %s\n", kProgram, arg.c_str());
            PrintUsage(stderr);
            return 2;
        }
    }
    return Serve(static_cast<int>(basePort), address, static_cast<std::size_t>(receiveBuffer));
}
