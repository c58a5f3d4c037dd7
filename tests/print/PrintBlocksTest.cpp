// The portable pieces of raw printing: the default-printer entry, the
// pass-through block, and how a file is cut into blocks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "print/PassThroughBlock.h"
#include "print/PrinterDevice.h"
#include "print/RawPrintSink.h"
#include "support/TempDirectory.h"

namespace fs = std::filesystem;

namespace {

struct DeviceCase {
    const char* entry;
    bool found;
    const char* device;
    const char* driver;
    const char* port;
};

TEST(DeviceProfile, NameDriverAndPort) {
    const DeviceCase cases[] = {
        {"ovprobe,wineps.drv,CUPS:ovprobe", true, "ovprobe", "wineps.drv", "CUPS:ovprobe"},
        // The name runs to the first comma, blanks included.
        {"HP LaserJet 4,winspool,Ne00:", true, "HP LaserJet 4", "winspool", "Ne00:"},
        {" Spaced ,winspool,LPT1:", true, " Spaced ", "winspool", "LPT1:"},
        // Driver and port: pieces between runs of commas and blanks.
        {"P,winspool, LPT1:", true, "P", "winspool", "LPT1:"},
        {"P, winspool ,,LPT1: ", true, "P", "winspool", "LPT1:"},
        {"P,winspool,Ne00:,Ne01:", true, "P", "winspool", "Ne00:"},
        {"P,winspool LPT1:", true, "P", "winspool", "LPT1:"},
        // Any piece missing: no printer.
        {"", false, "", "", ""},
        {"Printer", false, "", "", ""},
        {"Printer,winspool", false, "", "", ""},
        {"Printer,winspool,", false, "", "", ""},
        {"Printer,winspool, ,", false, "", "", ""},
        {",winspool,LPT1:", false, "", "", ""},
        {"Printer,,", false, "", "", ""},
    };
    for (const DeviceCase& c : cases) {
        PrinterDevice device{"old", "old", "old"};
        EXPECT_EQ(ParseDeviceProfile(c.entry, &device), c.found) << '"' << c.entry << '"';
        if (c.found) {
            EXPECT_EQ(device.device, c.device) << c.entry;
            EXPECT_EQ(device.driver, c.driver) << c.entry;
            EXPECT_EQ(device.port, c.port) << c.entry;
        } else {
            EXPECT_EQ(device.device, "old") << "a refused entry must leave the result alone: " << c.entry;
        }
    }
    PrinterDevice device;
    EXPECT_FALSE(ParseDeviceProfile(nullptr, &device));
}

TEST(PassThroughBlock, CountLowByteFirstThenTheBytes) {
    std::string data(kPassThroughDataMax + 1, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31 + 7);
    struct Case {
        int length;
        int size;  // 0: refused
        unsigned char low, high;
    };
    const Case cases[] = {{0, 2, 0x00, 0x00},    {2, 4, 0x02, 0x00},       {255, 257, 0xFF, 0x00},
                          {300, 302, 0x2C, 0x01}, {2048, 2050, 0x00, 0x08}, {2049, 0, 0, 0},
                          {-1, 0, 0, 0}};
    for (const Case& c : cases) {
        std::vector<unsigned char> block(kPassThroughBlockSize + 1, 0xEE);
        int size = PackPassThroughBlock(block.data(), data.data(), c.length);
        ASSERT_EQ(size, c.size) << c.length;
        if (size == 0) {
            EXPECT_EQ(block[0], 0xEE) << "a refused block must not be touched";
            continue;
        }
        EXPECT_EQ(block[0], c.low) << c.length;
        EXPECT_EQ(block[1], c.high) << c.length;
        EXPECT_EQ(PassThroughCount(block.data()), c.length);
        EXPECT_EQ(std::string(block.begin() + 2, block.begin() + size), data.substr(0, c.length));
        EXPECT_EQ(block[kPassThroughBlockSize], 0xEE) << "wrote past the block";
    }
}

// A sink that keeps what reaches it: the order of the calls and each block's
// bytes. Answers can be set per call to play a printer that refuses.
class RecordingSink : public CRawPrintSink {
public:
    bool StartDocument() override {
        calls.push_back("start");
        return startAnswer;
    }
    int SendBlock(const unsigned char* block) override {
        int count = PassThroughCount(block);
        calls.push_back("block " + std::to_string(count));
        blocks.emplace_back(reinterpret_cast<const char*>(block + 2), static_cast<std::size_t>(count));
        std::size_t index = blocks.size() - 1;
        return index < blockAnswers.size() ? blockAnswers[index] : count + 2;
    }
    bool EndDocument() override {
        calls.push_back("end");
        return endAnswer;
    }
    void AbortDocument() override { calls.push_back("abort"); }

    std::string Data() const {
        std::string all;
        for (const std::string& b : blocks) all += b;
        return all;
    }

    bool startAnswer = true;
    bool endAnswer = true;
    std::vector<int> blockAnswers;  // answers of the first blocks; the rest succeed
    std::vector<std::string> calls;
    std::vector<std::string> blocks;
};

std::string WriteTestFile(const std::string& name, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 13 + i / 256) & 0xFF);
    fs::path path = fs::path(testsupport::WorkDirectory()) / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

TEST(RawFileCopy, BlocksEndWithOneShorterThan2048) {
    struct Case {
        std::size_t size;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {0, {"start", "block 0", "end"}},
        {1, {"start", "block 1", "end"}},
        {2047, {"start", "block 2047", "end"}},
        {2048, {"start", "block 2048", "block 0", "end"}},
        {2049, {"start", "block 2048", "block 1", "end"}},
        {4096, {"start", "block 2048", "block 2048", "block 0", "end"}},
        {5000, {"start", "block 2048", "block 2048", "block 904", "end"}},
    };
    for (const Case& c : cases) {
        std::string path = WriteTestFile("copy-" + std::to_string(c.size) + ".bin", c.size);
        RecordingSink sink;
        unsigned char block[kPassThroughBlockSize];
        EXPECT_EQ(CopyFileInBlocks(path.c_str(), block, &sink), 1) << c.size;
        EXPECT_EQ(sink.calls, c.calls) << c.size;
        std::ifstream in(path, std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(sink.Data(), content) << c.size;
    }
}

TEST(RawFileCopy, FailuresAreReportedAndStartedDocumentsAborted) {
    std::string path5000 = WriteTestFile("fail-5000.bin", 5000);
    std::string path2048 = WriteTestFile("fail-2048.bin", 2048);
    struct Case {
        const char* what;
        std::string path;
        bool startAnswer;
        std::vector<int> blockAnswers;
        bool endAnswer;
        int result;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"missing file", (fs::path(testsupport::WorkDirectory()) / "no-such.bin").string(), true, {}, true, 0, {}},
        {"document refused", path5000, false, {}, true, 0, {"start"}},
        {"second block refused", path5000, true, {2050, 0}, true, 0,
         {"start", "block 2048", "block 2048", "abort"}},
        // A driver may answer 0 to an empty pass-through: nothing was lost.
        {"empty last block answered 0", path2048, true, {2050, 0}, true, 1,
         {"start", "block 2048", "block 0", "end"}},
        {"document not ended", path2048, true, {}, false, 0, {"start", "block 2048", "block 0", "end"}},
        // Reading a directory fails after it opened: nothing of it is passed.
        {"read error", testsupport::WorkDirectory(), true, {}, true, 0, {"start", "abort"}},
    };
    for (const Case& c : cases) {
        RecordingSink sink;
        sink.startAnswer = c.startAnswer;
        sink.blockAnswers = c.blockAnswers;
        sink.endAnswer = c.endAnswer;
        unsigned char block[kPassThroughBlockSize];
        EXPECT_EQ(CopyFileInBlocks(c.path.c_str(), block, &sink), c.result) << c.what;
        EXPECT_EQ(sink.calls, c.calls) << c.what;
    }
    RecordingSink sink;
    EXPECT_EQ(CopyFileInBlocks(path5000.c_str(), nullptr, &sink), 0) << "no work area";
    EXPECT_TRUE(sink.calls.empty());
}

}  // namespace
