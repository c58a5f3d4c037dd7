// The "name:port" host form, the Winsock error texts (built-in table and the
// Windows string table) and the POSIX error mapping.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <map>
#include <netdb.h>
#include <sstream>
#include <string>

#include "net/HostPort.h"
#include "net/WinsockErrors.h"
#include "net/posix/PosixSockets.h"

#ifndef OV_SOURCE_ROOT
#define OV_SOURCE_ROOT OV_FIXTURE_DIR "/../.."
#endif

namespace {

TEST(TelnetHostPort, SplitsOnlyNamePortForms) {
    const struct {
        const char* text;
        bool split;
        const char* name;
        int port;
    } cases[] = {
        {"host:23", true, "host", 23},
        {"10.0.0.1:2323", true, "10.0.0.1", 2323},
        {"h:1", true, "h", 1},
        {"h:65535", true, "h", 65535},
        {"h:00023", true, "h", 23},
        {"h:0", false, "", 0},
        {"h:65536", false, "", 0},
        {"h:99999999999999999999", false, "", 0},
        {"h:", false, "", 0},
        {":23", false, "", 0},
        {"h:2x", false, "", 0},
        {"h:-1", false, "", 0},
        {"h: 23", false, "", 0},
        {"a:b:23", false, "", 0},
        {"::1", false, "", 0},
        {"plainhost", false, "", 0},
        {"", false, "", 0},
    };
    for (const auto& c : cases) {
        std::string name = "untouched";
        int port = -7;
        EXPECT_EQ(SplitHostPort(c.text, &name, &port), c.split) << c.text;
        EXPECT_EQ(name, c.split ? c.name : "untouched") << c.text;
        EXPECT_EQ(port, c.split ? c.port : -7) << c.text;
    }
    EXPECT_FALSE(SplitHostPort(nullptr, nullptr, nullptr));
}

// Reads the STRINGTABLE entries (id, "text" with C escapes) of an .rc file.
std::map<int, std::string> ReadStringTable(const std::string& path) {
    std::ifstream in(path);
    std::map<int, std::string> table;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        int id = 0;
        char comma = 0;
        if (!(fields >> id >> comma) || comma != ',') continue;
        size_t open = line.find('"');
        size_t close = line.rfind('"');
        if (open == std::string::npos || close <= open) continue;
        std::string text;
        for (size_t i = open + 1; i < close; ++i) {
            if (line[i] == '\\' && i + 1 < close) {
                char e = line[++i];
                text.push_back(e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e);
            } else if (line[i] == '"' && i + 1 < close && line[i + 1] == '"') {
                text.push_back('"');
                ++i;
            } else {
                text.push_back(line[i]);
            }
        }
        EXPECT_TRUE(table.emplace(id, text).second) << "id " << id << " twice";
    }
    return table;
}

TEST(WinSockErrorTexts, StringTableMatchesTheBuiltInTable) {
    std::map<int, std::string> rc = ReadStringTable(std::string(OV_SOURCE_ROOT) + "/net/win32/winsock_errors.rc");
    int count = 0;
    const WinsockErrorText* table = WinsockErrorTable(&count);
    ASSERT_EQ(count, 50);
    ASSERT_EQ(rc.size(), static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        ASSERT_TRUE(rc.count(table[i].code)) << table[i].code;
        EXPECT_EQ(rc[table[i].code], table[i].text);
    }
}

TEST(WinSockErrorTexts, TextsCarryTheirCodeAndKnownExceptions) {
    int count = 0;
    const WinsockErrorText* table = WinsockErrorTable(&count);
    for (int i = 1; i < count; ++i)
        EXPECT_EQ(std::string(table[i].text).rfind("[" + std::to_string(table[i].code) + "] ", 0), 0u)
            << table[i].text;
    EXPECT_STREQ(FindWinsockErrorText(10000), "[0] No Error");
    EXPECT_STREQ(FindWinsockErrorText(10061), "[10061] Connection refused");
    EXPECT_STREQ(FindWinsockErrorText(11004), "[11004] Valid name, no data record of requested  \ntype");
    EXPECT_EQ(FindWinsockErrorText(10001), nullptr);
    char text[8];
    FormatWinsockError(10061, text, sizeof text);
    EXPECT_STREQ(text, "[10061]");
    char unknown[64];
    FormatWinsockError(12345, unknown, sizeof unknown);
    EXPECT_STREQ(unknown, "[12345] Unknown error");
}

TEST(SocketErrorMapping, ErrnoAndResolverCodesBecomeWinsockCodes) {
    const struct {
        int error, code;
    } errnos[] = {{0, 0},           {ECONNREFUSED, 10061}, {ETIMEDOUT, 10060},  {EWOULDBLOCK, 10035},
                  {EAGAIN, 10035},  {ECONNRESET, 10054},   {EPIPE, 10054},      {EINPROGRESS, 10036},
                  {ENOTSOCK, 10038}, {EADDRINUSE, 10048},  {ENETUNREACH, 10051}, {EHOSTUNREACH, 10065},
                  {ENOTCONN, 10057}, {EINTR, 10004},       {EMFILE, 10024},     {ECONNABORTED, 10053}};
    for (const auto& c : errnos) EXPECT_EQ(WinsockCodeForErrno(c.error), c.code) << c.error;
    EXPECT_EQ(WinsockCodeForResolverError(0), 0);
    EXPECT_EQ(WinsockCodeForResolverError(EAI_NONAME), 11001);
    EXPECT_EQ(WinsockCodeForResolverError(EAI_AGAIN), 11002);
    EXPECT_EQ(WinsockCodeForResolverError(EAI_FAIL), 11003);
}

}  // namespace
