// The menu-driven FTP transfer against a stand-in client: an executable
// "FTP" first on PATH that keeps a copy of the script it was told to read.
// Settings live in a private configuration directory, in both layouts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ext/FtpScript.h"
#include "ext/MenuTransfer.h"
#include "settings/Settings.h"
#include "tests/ext/ExtTestSupport.h"
#include "tests/settings/SettingsTestSupport.h"

namespace fs = std::filesystem;
using settingstest::Layout;

namespace {

struct Message {
    std::string text, caption;
    unsigned type;
};

class MenuTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        bin = settingstest::MakeTempDir();
        work = settingstest::MakeTempDir();
        captured = settingstest::MakeTempDir();
        exttest::WriteScript(bin + "/FTP", "printf '%s\\n' \"$@\" > " + captured + "/args\n" +
                                               "pwd > " + captured + "/cwd\n" +
                                               "for a; do case \"$a\" in -s:*) cp \"${a#-s:}\" " + captured +
                                               "/script;; esac; done\n");
    }

    int Run(const MenuTransferRequest& request) {
        exttest::ScopedProgramEnvironment environment(bin, work);
        return RunMenuTransfer(request, [this](const char* text, const char* caption, unsigned type) {
            messages.push_back({text, caption, type});
            return 1;
        });
    }

    static MenuTransferRequest Download(const std::string& host, const std::string& file, bool text = false) {
        MenuTransferRequest request;
        request.host = host;
        request.file = file;
        request.textMode = text;
        return request;
    }

    std::string Script() const { return settingstest::ReadFile(captured + "/script"); }
    bool ClientRan() const { return settingstest::FileExists(captured + "/args"); }
    bool ScriptLeftBehind() const { return fs::exists(fs::path(work) / ftp::kScriptFile); }

    std::string bin, work, captured;
    std::vector<Message> messages;
};

struct ScriptCase {
    const char* name;
    MenuTransferRequest request;
    std::string script;
};

TEST_F(MenuTransfer, WritesTheScriptForEachKindOfTransfer) {
    const std::string longHost(120, 'h');
    MenuTransferRequest upload = Download("h", "local.txt");
    upload.upload = true;
    upload.directory = "d";
    MenuTransferRequest textUpload = Download("h", "*.csv x.csv", true);
    textUpload.upload = true;
    textUpload.directory = "/srv/in box";
    const std::vector<ScriptCase> cases = {
        {"BinaryDownload", Download("h", "/tmp/a.txt"),
         "open h\nu\npw\npassive\nbinary\nmget /tmp/a.txt\nclose\nbye"},
        {"TextDownload", Download("h", "/tmp/a.txt", true),
         "open h\nu\npw\npassive\nascii\nmget /tmp/a.txt\nclose\nbye"},
        {"Upload", upload, "open h\nu\npw\npassive\nbinary\ncd d\nmput local.txt\nclose\nbye"},
        {"TextUploadKeepsBlanks", textUpload,
         "open h\nu\npw\npassive\nascii\ncd /srv/in box\nmput *.csv x.csv\nclose\nbye"},
        {"LongHostIsWrittenWhole", Download(longHost, "f"),
         "open " + longHost + "\nlu\n\npassive\nbinary\nmget f\nclose\nbye"},
    };
    settingstest::ScopedConfigHome config(Layout::Registry);
    ASSERT_EQ(SaveFtpLogin("h", "u", "pw"), 1);
    ASSERT_EQ(SaveFtpLogin(longHost, "lu", ""), 1);
    for (const ScriptCase& c : cases) {
        fs::remove(captured + "/script");
        EXPECT_EQ(Run(c.request), 1) << c.name;
        EXPECT_EQ(Script(), c.script) << c.name;
        EXPECT_FALSE(ScriptLeftBehind()) << c.name;
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(settingstest::ReadFile(captured + "/args"), "-v\n-i\n-s:SCRFTP\n");
    std::string clientDirectory = settingstest::ReadFile(captured + "/cwd");
    ASSERT_FALSE(clientDirectory.empty());
    clientDirectory.pop_back();  // pwd's line end
    EXPECT_EQ(fs::canonical(clientDirectory), fs::canonical(work));
}

TEST_F(MenuTransfer, AnEarlierScriptIsReplacedAndThenDeleted) {
    settingstest::ScopedConfigHome config(Layout::Profile);
    ASSERT_EQ(SaveFtpLogin("h", "u", "secret"), 1);
    settingstest::WriteFile(work + "/SCRFTP", "open elsewhere\nold\nold\nold\nold\nold\nold\nold\nold\nold\n");
    EXPECT_EQ(Run(Download("h", "f")), 1);
    EXPECT_EQ(Script(), "open h\nu\nsecret\npassive\nbinary\nmget f\nclose\nbye");
    EXPECT_FALSE(ScriptLeftBehind());
}

TEST_F(MenuTransfer, NoUserStoredIsNotSetUpInTheRegistryLayout) {
    settingstest::ScopedConfigHome config(Layout::Registry);
    EXPECT_EQ(Run(Download("unknown", "f")), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "FTP Not Set Up!!");
    EXPECT_EQ(messages[0].caption, "FTP Error");
    EXPECT_EQ(messages[0].type, 0x30u);
    EXPECT_FALSE(ClientRan());
    EXPECT_FALSE(ScriptLeftBehind());

    messages.clear();
    EXPECT_EQ(Run(Download("", "f")), 0);  // no host, no settings
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "FTP Not Set Up!!");
    EXPECT_FALSE(ClientRan());
}

TEST_F(MenuTransfer, TheProfileLayoutRunsWithTheDefaultUserAndNoPassword) {
    settingstest::ScopedConfigHome config(Layout::Profile);
    EXPECT_EQ(Run(Download("unknown", "f")), 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Script(), "open unknown\nNULL\n\npassive\nbinary\nmget f\nclose\nbye");
    EXPECT_FALSE(ScriptLeftBehind());
}

TEST_F(MenuTransfer, AScriptThatCannotBeWrittenIsReportedAndNothingRuns) {
    settingstest::ScopedConfigHome config(Layout::Registry);
    ASSERT_EQ(SaveFtpLogin("h", "u", "pw"), 1);

    fs::create_directory(fs::path(work) / ftp::kScriptFile);  // cannot be opened as a file
    EXPECT_EQ(Run(Download("h", "f")), 0);
    fs::remove(fs::path(work) / ftp::kScriptFile);
    // A line break would add commands of its own to the script.
    EXPECT_EQ(Run(Download("h", "f\n!rm -rf ~")), 0);

    ASSERT_EQ(messages.size(), 2u);
    for (const Message& m : messages) {
        EXPECT_EQ(m.text, "FTP - Unable to Create Script File");
        EXPECT_EQ(m.caption, "FTP Error");
        EXPECT_EQ(m.type, 0x30u);
    }
    EXPECT_FALSE(ClientRan());
    EXPECT_FALSE(ScriptLeftBehind());
}

TEST_F(MenuTransfer, AClientThatCannotStartLeavesNoScriptAndNoMessage) {
    settingstest::ScopedConfigHome config(Layout::Registry);
    ASSERT_EQ(SaveFtpLogin("h", "u", "pw"), 1);
    fs::remove(bin + "/FTP");
    int result;
    {
        exttest::ScopedProgramEnvironment environment(bin, work, exttest::ScopedProgramEnvironment::Path::kOnly);
        result = RunMenuTransfer(Download("h", "f"), nullptr);
    }
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(ScriptLeftBehind());
}

TEST(FtpLogin, PasswordsAreStoredScrambledAndReadBackClear) {
    for (Layout layout : {Layout::Registry, Layout::Profile}) {
        settingstest::ScopedConfigHome config(layout);
        ASSERT_EQ(SaveFtpLogin("host.example", "fred", "abc Z~\xfc"), 1);
        char stored[100];
        ReadSetting("Password", "NULL", "host.example", kApplicationName, kProfileBase, stored, sizeof stored);
        EXPECT_EQ(std::string(stored), "fgh%_\x83\x01");
        ReadSetting("User", "NULL", "host.example", kApplicationName, kProfileBase, stored, sizeof stored);
        EXPECT_EQ(std::string(stored), "fred");
        ftp::Login login = ftp::ReadLogin("host.example");
        EXPECT_EQ(login.user, "fred");
        EXPECT_EQ(login.password, "abc Z~\xfc");
    }
}

TEST(FtpLogin, WhatCannotBeStoredWholeIsRefused) {
    settingstest::ScopedConfigHome config(Layout::Profile);
    EXPECT_EQ(SaveFtpLogin("h", "u", "p\xfbq"), 0);  // would scramble to a NUL and be cut
    EXPECT_EQ(SaveFtpLogin("h", "u", "p\x05q"), 0);  // would scramble to a line feed
    EXPECT_EQ(SaveFtpLogin("", "u", "p"), 0);
    EXPECT_FALSE(settingstest::FileExists(config.IniPath()));
}

TEST(FtpScramble, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
    const std::string scrambled = ftp::Scramble(all);
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(static_cast<unsigned char>(scrambled[c]), (c + 5) % 256) << c;
    EXPECT_EQ(ftp::Unscramble(scrambled), all);
    EXPECT_EQ(ftp::Unscramble("fgh"), "abc");
}

TEST(FtpScript, TheHostsScriptHasPromptAndNoPassive) {
    ftp::Transfer send;
    send.host = "hostA";
    send.login = {"user", "pass"};
    send.mode = "binary";
    send.files = "*.txt";
    send.directory = "/tmp";
    send.upload = true;
    EXPECT_EQ(ftp::HostScriptLines(send),
              (std::vector<std::string>{"open hostA", "user", "pass", "binary", "prompt", "cd /tmp", "mput *.txt",
                                        "close", "bye"}));
    ftp::Transfer fetch = send;
    fetch.upload = false;
    fetch.mode = "ascii";
    fetch.files = "a.dat";
    EXPECT_EQ(ftp::HostScriptLines(fetch), (std::vector<std::string>{"open hostA", "user", "pass", "ascii", "prompt",
                                                                      "mget a.dat", "close", "bye"}));
}

}  // namespace
