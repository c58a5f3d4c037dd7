// The machine type read from a program's PE header, which picks the Wine
// loader for it and keeps an i686 run from driving x86-64 programs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ProgramMachine.h"

namespace {

using ovwine::Machine;

// A DOS stub whose e_lfanew points at `peOffset`, with the signature and
// machine there; `cut` bytes taken off the end.
std::string Image(std::uint32_t peOffset, const std::string& signature, std::uint16_t machine, std::size_t cut = 0) {
    std::string bytes(peOffset + 24, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<char>((peOffset >> (8 * i)) & 0xFF);
    bytes.replace(peOffset, signature.size(), signature);
    bytes[peOffset + 4] = static_cast<char>(machine & 0xFF);
    bytes[peOffset + 5] = static_cast<char>(machine >> 8);
    bytes.resize(bytes.size() - cut);
    return bytes;
}

class ProgramMachineFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ovwine-machine.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string dir;
};

TEST_F(ProgramMachineFile, ReadsTheMachineOfThePeHeader) {
    const std::string pe("PE\0\0", 4);
    struct Case {
        const char* name;
        std::string bytes;
        Machine machine;
    } cases[] = {
        {"i686.exe", Image(0x80, pe, 0x014C), Machine::I686},
        {"x64.exe", Image(0x80, pe, 0x8664), Machine::X8664},
        {"far-header.dll", Image(0x400, pe, 0x014C), Machine::I686},
        {"arm64.exe", Image(0x80, pe, 0xAA64), Machine::Unknown},
        {"no-pe-signature.exe", Image(0x80, std::string("NE\0\0", 4), 0x014C), Machine::Unknown},
        {"header-past-the-end.exe", Image(0x80, pe, 0x014C).substr(0, 0x70), Machine::Unknown},
        {"machine-cut-off.exe", Image(0x80, pe, 0x8664, 19), Machine::Unknown},
        {"not-mz.exe", "#!/bin/sh\necho not a Windows program\n" + std::string(200, ' '), Machine::Unknown},
        {"empty.exe", "", Machine::Unknown},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ovwine::MachineName(ovwine::ProgramMachine(Write(c.name, c.bytes))), std::string(ovwine::MachineName(c.machine)))
            << c.name;
    EXPECT_EQ(ovwine::ProgramMachine(dir + "/missing.exe"), Machine::Unknown);
}

TEST(ProgramMachineName, NamesRoundTripAndOthersAreUnknown) {
    for (Machine m : {Machine::I686, Machine::X8664})
        EXPECT_EQ(ovwine::MachineFromName(ovwine::MachineName(m)), m) << ovwine::MachineName(m);
    EXPECT_EQ(ovwine::MachineFromName("x86_64"), Machine::X8664);
    for (const char* other : {"", "x86", "i386", "amd64", "I686", "unknown"})
        EXPECT_EQ(ovwine::MachineFromName(other), Machine::Unknown) << other;
}

}  // namespace
