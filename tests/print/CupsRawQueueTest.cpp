// The tests' private CUPS scheduler: what a client prints on its raw queue
// arrives byte for byte, one file per job, in the order queued. Printer tests
// on Linux and under Wine rely on exactly that.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "print/PrivateCupsServer.h"
#include "support/TempDirectory.h"

namespace fs = std::filesystem;

namespace {

class CupsRawQueue : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new PrivateCupsServer((fs::path(testsupport::WorkDirectory()) / "cups").string(), "ovtest");
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        if (!server->Running()) GTEST_SKIP() << server->Problem();
    }

    static std::string WriteFile(const std::string& name, const std::string& bytes) {
        fs::path path = fs::path(testsupport::WorkDirectory()) / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    static PrivateCupsServer* server;
};

PrivateCupsServer* CupsRawQueue::server = nullptr;

TEST_F(CupsRawQueue, JobsArriveUnchangedOneFilePerJobInOrder) {
    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<char>(i);
    // Contents that CUPS would take for text and for PostScript must not be
    // converted either: the queue is raw.
    const std::string jobs[] = {
        "\r\n" + all + all,
        "plain text\nsecond line\n\f",
        "%!PS-Adobe-3.0\n%%EOF\n",
    };
    int n = 0;
    for (const std::string& job : jobs) {
        std::string file = WriteFile("lp-" + std::to_string(n++) + ".bin", job);
        // No destination given: the queue is the default.
        ASSERT_EQ(server->RunClient("lp -s '" + file + "'"), 0);
    }
    std::vector<std::string> received = server->WaitForJobs(3, 30);
    ASSERT_EQ(received.size(), 3u);
    for (std::size_t i = 0; i < received.size(); ++i)
        EXPECT_EQ(received[i], jobs[i]) << "job " << i + 1 << " changed on its way";
}

}  // namespace
