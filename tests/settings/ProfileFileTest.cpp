// The profile-file engine against the behaviour of the Windows
// private-profile functions, on real files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "SettingsTestSupport.h"
#include "settings/posix/ProfileFile.h"

namespace {

using settingstest::ReadFile;
using settingstest::WriteFile;

struct ReadCase {
    const char* what;
    std::string file;
    const char* section;
    const char* key;
    const char* defaultValue;
    size_t outSize;
    std::string expected;
};

const ReadCase kReadCases[] = {
    {"plain", "[Colors]\r\nFore=WHITE\r\n", "Colors", "Fore", "NULL", 64, "WHITE"},
    {"section and key ignore case", "[colors]\nfore=WHITE\n", "COLORS", "FORE", "NULL", 64, "WHITE"},
    {"blanks around names and value", "  [ Colors ]  \n\t Fore  =  WHITE \t\n", "Colors", "Fore", "NULL", 64,
     "WHITE"},
    {"blanks around the names asked for", "[Colors]\nFore=WHITE\n", " Colors ", " Fore ", "NULL", 64, "WHITE"},
    {"missing key gives the default", "[Colors]\nBack=BLUE\n", "Colors", "Fore", "NULL", 64, "NULL"},
    {"missing section gives the default", "[Other]\nFore=BLUE\n", "Colors", "Fore", "NULL", 64, "NULL"},
    {"empty file gives the default", "", "Colors", "Fore", "NULL", 64, "NULL"},
    {"default loses trailing blanks", "", "A", "k", "dflt  \t", 64, "dflt"},
    {"null default reads empty", "", "A", "k", nullptr, 64, ""},
    {"empty value is a value", "[A]\nk=\n", "A", "k", "NULL", 64, ""},
    {"double quotes stripped", "[A]\nk=\"  spaced  \"\n", "A", "k", "", 64, "  spaced  "},
    {"single quotes stripped", "[A]\nk='x'\n", "A", "k", "", 64, "x"},
    {"mismatched quotes kept", "[A]\nk=\"x'\n", "A", "k", "", 64, "\"x'"},
    {"one quote kept", "[A]\nk=\"\n", "A", "k", "", 64, "\""},
    {"inner quotes kept", "[A]\nk=a \"b\" c\n", "A", "k", "", 64, "a \"b\" c"},
    {"value keeps further equals signs", "[A]\nk=a=b\n", "A", "k", "", 64, "a=b"},
    {"value cut to the buffer", "[A]\nk=abcdef\n", "A", "k", "", 4, "abc"},
    {"default cut to the buffer", "", "A", "k", "abcdef", 3, "ab"},
    {"one-byte buffer", "[A]\nk=abc\n", "A", "k", "", 1, ""},
    {"only the first section of a name counts", "[A]\nj=1\n[a]\nk=2\n", "A", "k", "none", 64, "none"},
    {"first key of a name wins", "[A]\nk=1\nK=2\n", "A", "k", "", 64, "1"},
    {"keys before any section belong to none", "k=1\n[A]\n", "A", "k", "none", 64, "none"},
    {"key ends at the next section", "[A]\n[B]\nk=1\n", "A", "k", "none", 64, "none"},
    {"comment lines are no keys", "[A]\n;k=1\nk=2\n", "A", "k", "", 64, "2"},
    {"unclosed header is ignored", "[A]\n[broken\nk=1\n", "A", "k", "", 64, "1"},
    {"line without equals is ignored", "[A]\ngarbage\nk=1\n", "A", "k", "", 64, "1"},
    {"text after the header is ignored", "[A] trailing\nk=1\n", "A", "k", "", 64, "1"},
    {"no newline at the end", "[A]\nk=last", "A", "k", "", 64, "last"},
    {"UTF-8 signature before the first section", "\xEF\xBB\xBF[A]\nk=1\n", "A", "k", "", 64, "1"},
    {"bytes above 127 pass through", "[A]\nk=caf\xE9\n", "A", "k", "", 64, "caf\xE9"},
    {"NUL bytes do no harm", std::string("[A]\nk=a\0b\n", 10), "A", "k", "", 64, "a"},
    {"null section reads as the default", "[A]\nk=1\n", nullptr, "k", "none", 64, "none"},
    {"null key reads as the default", "[A]\nk=1\n", "A", nullptr, "none", 64, "none"},
};

TEST(ProfileFileRead, BehavesAsThePrivateProfileFunctions) {
    const std::string path = settingstest::MakeTempDir() + "/TEST.INI";
    for (const ReadCase& c : kReadCases) {
        WriteFile(path, c.file);
        std::string out(c.outSize + 8, '#');
        const size_t length = profilefile::Read(path, c.section, c.key, c.defaultValue, &out[0], c.outSize);
        EXPECT_EQ(std::string(out.c_str()), c.expected) << c.what;
        EXPECT_EQ(length, c.expected.size()) << c.what;
        EXPECT_EQ(out.substr(c.outSize), std::string(8, '#')) << c.what << ": wrote past the buffer";
    }
}

TEST(ProfileFileRead, MissingFileGivesTheDefault) {
    const std::string path = settingstest::MakeTempDir() + "/ABSENT.INI";
    char out[16];
    EXPECT_EQ(profilefile::Read(path, "A", "k", "dflt", out, sizeof out), 4u);
    EXPECT_STREQ(out, "dflt");
    EXPECT_FALSE(settingstest::FileExists(path));
}

struct WriteCase {
    const char* what;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

const WriteCase kWriteCases[] = {
    {"creates file, section and key", "", "Colors", "Fore", "WHITE", "[Colors]\r\nFore=WHITE\r\n"},
    {"replaces in place, keeps spelling, comments and other sections",
     "; settings\n[colors]\nFORE = RED\nBack=BLUE\n\n[Other]\nFore=GREEN\n", "Colors", "fore", "WHITE",
     "; settings\n[colors]\nFORE=WHITE\nBack=BLUE\n\n[Other]\nFore=GREEN\n"},
    {"keeps CR LF endings", "[A]\r\nk=1\r\nj=2\r\n", "A", "k", "3", "[A]\r\nk=3\r\nj=2\r\n"},
    {"new key after the section's last key",
     "[A]\nx=1\n; about B\n\n[B]\ny=2\n", "A", "z", "3", "[A]\nx=1\nz=3\n; about B\n\n[B]\ny=2\n"},
    {"new key in an empty section", "[A]\n[B]\ny=2\n", "A", "z", "3", "[A]\nz=3\n[B]\ny=2\n"},
    {"new section at the end after a blank line", "[A]\nx=1\n", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
    {"new section after an existing blank line", "[A]\nx=1\n\n", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
    {"last line without newline", "[A]\nx=1", "A", "x", "2", "[A]\nx=2\n"},
    {"only the first section of a name is written", "[A]\nk=1\n[A]\nk=2\n", "a", "K", "3",
     "[A]\nk=3\n[A]\nk=2\n"},
    {"malformed lines are kept", "[A]\ngarbage\n[broken\nk=1\n", "A", "k", "2", "[A]\ngarbage\n[broken\nk=2\n"},
    {"null value deletes the key", "[A]\nx=1\ny=2\n", "A", "x", nullptr, "[A]\ny=2\n"},
    {"null key deletes the section", "[A]\nx=1\n[B]\ny=2\n", "A", nullptr, nullptr, "[B]\ny=2\n"},
    {"deleting what is missing changes nothing", "[A]\nx=1\n", "A", "y", nullptr, "[A]\nx=1\n"},
};

TEST(ProfileFileWrite, ChangesOnlyTheLineConcerned) {
    const std::string dir = settingstest::MakeTempDir();
    int n = 0;
    for (const WriteCase& c : kWriteCases) {
        const std::string path = dir + "/CASE" + std::to_string(n++) + ".INI";
        if (!c.before.empty()) WriteFile(path, c.before);
        EXPECT_TRUE(profilefile::Write(path, c.section, c.key, c.value)) << c.what;
        EXPECT_EQ(ReadFile(path), c.after) << c.what;
    }
}

TEST(ProfileFileWrite, WrittenValuesReadBack) {
    const std::string path = settingstest::MakeTempDir() + "/RT.INI";
    ASSERT_TRUE(profilefile::Write(path, "Host A", "User", "alice"));
    ASSERT_TRUE(profilefile::Write(path, "host a", "password", "x=y"));
    ASSERT_TRUE(profilefile::Write(path, "Colors", "Fore", "WHITE"));
    ASSERT_TRUE(profilefile::Write(path, "HOST A", "USER", "bob"));
    char out[32];
    profilefile::Read(path, "host a", "user", "", out, sizeof out);
    EXPECT_STREQ(out, "bob");
    profilefile::Read(path, "Host A", "Password", "", out, sizeof out);
    EXPECT_STREQ(out, "x=y");
    profilefile::Read(path, "colors", "fore", "", out, sizeof out);
    EXPECT_STREQ(out, "WHITE");
}

TEST(ProfileFileWrite, FlushFormIsAcceptedAndWritesNothing) {
    const std::string path = settingstest::MakeTempDir() + "/FLUSH.INI";
    EXPECT_TRUE(profilefile::Write(path, nullptr, nullptr, nullptr));
    EXPECT_FALSE(settingstest::FileExists(path));
    EXPECT_FALSE(profilefile::Write(path, nullptr, "k", "v"));
    EXPECT_FALSE(settingstest::FileExists(path));
}

TEST(ProfileFileWrite, ReplacesTheFileWholeAndLeavesNoTemporaryFile) {
    const std::string dir = settingstest::MakeTempDir();
    const std::string path = dir + "/OVTERM.INI";
    WriteFile(path, "[A]\nk=1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    struct stat before;
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    ASSERT_TRUE(profilefile::Write(path, "A", "k", "2"));
    struct stat after;
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "the file was rewritten in place";
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(settingstest::ListDirectory(dir), std::vector<std::string>{"OVTERM.INI"});
}

TEST(ProfileFileWrite, NewFilesArePrivate) {
    const std::string path = settingstest::MakeTempDir() + "/NEW.INI";
    ASSERT_TRUE(profilefile::Write(path, "A", "k", "1"));
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST(ProfileFileWrite, FileThatCannotBeReadIsNotWrittenOver) {
    const std::string dir = settingstest::MakeTempDir();
    const std::string path = dir + "/OVTERM.INI";
    // A directory in the file's place reads as an error, not as a missing file.
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    EXPECT_FALSE(profilefile::Write(path, "A", "k", "1"));
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(settingstest::ListDirectory(dir), std::vector<std::string>{"OVTERM.INI"});
}

TEST(ProfileFileWrite, WritesThroughASymbolicLinkToItsTarget) {
    const std::string dir = settingstest::MakeTempDir();
    WriteFile(dir + "/real.ini", "[A]\nk=1\n");
    ASSERT_EQ(::symlink("real.ini", (dir + "/OVTERM.INI").c_str()), 0);
    ASSERT_TRUE(profilefile::Write(dir + "/OVTERM.INI", "A", "k", "2"));
    struct stat info;
    ASSERT_EQ(::lstat((dir + "/OVTERM.INI").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadFile(dir + "/real.ini"), "[A]\nk=2\n");
}

}  // namespace
