// The setup programs (installer/WinOvTerm.nsi) under Wine, each build in the
// registry view and Program Files folder of its own: a silent install puts
// the programs, the Start menu shortcuts and the Uninstall entry in place;
// the installed terminal connects; neither setup nor uninstall changes
// anything while a program runs, nor does setup while the other build is
// installed; the silent uninstall that Settings, Apps runs removes all of it
// and keeps the users' settings.
#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ProgramMachine.h"
#include "ShellLink.h"
#include "TerminalSession.h"
#include "shell/win32/Version.h"

#ifndef OV_INSTALLER_DIR_DEFAULT
#define OV_INSTALLER_DIR_DEFAULT ""
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kUninstallKey[] = "Microsoft\\Windows\\CurrentVersion\\Uninstall\\WinOvTerm";
constexpr char kMenuFolder[] = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\WinOvTerm";
// Per-user settings of the two programs, which an uninstall must keep.
const std::vector<std::string> kUserKeys = {"HKCU\\Software\\Orvane Emulator\\InstallerTest",
                                            "HKCU\\Software\\NetSpool\\InstallerTest"};

struct Build {
    std::string arch;          // in the setup program's name
    std::string bits;          // in the Uninstall entry's DisplayName
    std::string programFiles;  // where $PROGRAMFILES64 or $PROGRAMFILES points on 64-bit Windows
    std::string software;      // HKLM\Software in the build's registry view, as the 64-bit reg.exe names it
    std::string otherSoftware; // the same in the other view
    ovwine::Machine machine;   // of its programs' PE header
    bool needs32BitWine;
};

// For gtest's messages.
void PrintTo(const Build& build, std::ostream* out) { *out << build.arch; }

const Build kX64{"x64", "64-bit", "C:\\Program Files", "HKLM\\Software", "HKLM\\Software\\Wow6432Node",
                 ovwine::Machine::X8664, false};
const Build kX86{"x86", "32-bit", "C:\\Program Files (x86)", "HKLM\\Software\\Wow6432Node", "HKLM\\Software",
                 ovwine::Machine::I686, true};

std::string InstallerDir() {
    if (const char* dir = std::getenv("OV_INSTALLER_DIR")) return dir;
    return OV_INSTALLER_DIR_DEFAULT;
}

// Where a C: path of the prefix lies on this side.
std::string UnixPath(const std::string& windows) {
    if (windows.size() < 3 || (windows.compare(0, 3, "C:\\") != 0 && windows.compare(0, 3, "c:\\") != 0))
        return std::string();
    std::string path = std::string(std::getenv("WINEPREFIX")) + "/drive_c/" + windows.substr(3);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

struct RegValue {
    std::string type, data;
};

// A key as `reg query KEY` lists it: its values by name (none when the key
// is missing).
struct RegKey {
    bool exists = false;
    std::map<std::string, RegValue> values;
    std::string text;  // reg.exe's output, for messages
};

class Installer : public ovwine::TerminalTest, public ::testing::WithParamInterface<Build> {
protected:
    void SetUp() override {
        TerminalTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        const Build& build = GetParam();
        setup = InstallerDir() + "/WinOvTerm-" + OV_VERSION_STRING + "-" + build.arch + "-setup.exe";
        if (InstallerDir().empty() || !ovwine::FileExists(setup))
            GTEST_SKIP() << "no setup program " << setup
                         << " (scripts/test builds it; cmake --build build-mingw --target installer, then "
                            "OV_INSTALLER_DIR names its folder)";
        // The x86 setup and what it installs are i686 programs: they need
        // 32-bit Wine, whose loader the environment names when wine32 is
        // installed.
        if (build.needs32BitWine) {
            const char* loader32 = std::getenv("OV_WINE_LOADER32");
            if (!loader32 || !*loader32)
                GTEST_SKIP() << "no 32-bit Wine for the " << build.arch
                             << " setup program (OV_WINE_LOADER32 unset; it needs wine32)";
        }
        // Wine's menu builder would copy every Start menu shortcut into the
        // desktop menus of the user running the tests.
        const char* overrides = std::getenv("WINEDLLOVERRIDES");
        std::string value = overrides ? overrides : "";
        if (value.find("winemenubuilder") == std::string::npos)
            setenv("WINEDLLOVERRIDES", (value.empty() ? "" : value + ";").append("winemenubuilder.exe=d").c_str(), 1);

        installDir = build.programFiles + "\\WinOvTerm";
        uninstallKey = build.software + "\\" + kUninstallKey;
        otherUninstallKey = build.otherSoftware + "\\" + kUninstallKey;
        ASSERT_FALSE(ovwine::FileExists(UnixPath(installDir))) << installDir << " exists before the install";
        ASSERT_FALSE(Query(uninstallKey).exists) << uninstallKey << " exists before the install";
        ASSERT_FALSE(Query(otherUninstallKey).exists) << otherUninstallKey << " exists before the install";
    }

    void TearDown() override {
        if (program) program->Kill();
        // Whatever a failed test left: the next tests of the run share the prefix.
        if (!installDir.empty()) {
            for (const std::string& key : kUserKeys) Reg({"delete", key, "/f"});
            if (fakedOtherBuild) Reg({"delete", otherUninstallKey, "/f"});
            if (ovwine::FileExists(UnixPath(installDir + "\\uninstall.exe")))
                Run(installDir + "\\uninstall.exe", UninstallInPlace(), 120000);
            std::system(("rm -rf '" + UnixPath(installDir) + "' '" + UnixPath(kMenuFolder) + "'").c_str());
            Reg({"delete", uninstallKey, "/f"});
        }
        TerminalTest::TearDown();
    }

    // Runs a Windows program (its Unix path or a C: path) until it ends; its
    // exit code, -1 on time-out.
    int Run(const std::string& exe, const std::vector<std::string>& args, int timeoutMs) {
        ovwine::WineProcess process;
        std::string error;
        const std::string path = exe.compare(0, 3, "C:\\") == 0 ? UnixPath(exe) : exe;
        if (!process.Start(path, args, error)) {
            ADD_FAILURE() << error;
            return -1;
        }
        const int code = process.Wait(timeoutMs);
        lastOutput = process.Output();
        return code;
    }

    // reg.exe of the prefix (the 64-bit one: it sees both views by name).
    int Reg(const std::vector<std::string>& args) {
        ovwine::WineProcess reg;
        std::string error;
        if (!reg.Start(UnixPath("C:\\windows\\system32\\reg.exe"), args, error)) {
            ADD_FAILURE() << error;
            return -1;
        }
        const int code = reg.Wait(60000);
        EXPECT_GE(code, 0) << "reg.exe " << args[0] << " did not finish";
        lastOutput = reg.Output();
        return code;
    }

    RegKey Query(const std::string& key) {
        RegKey result;
        result.exists = Reg({"query", key}) == 0;
        result.text = lastOutput;
        if (!result.exists) return result;
        // "    NAME    TYPE    DATA" under the key's own line; a later
        // line without the indent names a subkey.
        std::istringstream lines(lastOutput);
        std::string line;
        int keyLines = 0;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            if (line.compare(0, 4, "    ") != 0) {
                if (++keyLines > 1) break;
                continue;
            }
            const std::size_t typeAt = line.find("    REG_", 4);
            if (typeAt == std::string::npos) continue;
            const std::string name = line.substr(4, typeAt - 4);
            const std::size_t dataAt = line.find("    ", typeAt + 4);
            RegValue value;
            value.type = line.substr(typeAt + 4, dataAt == std::string::npos ? std::string::npos : dataAt - typeAt - 4);
            if (dataAt != std::string::npos) value.data = line.substr(dataAt + 4);
            result.values[name] = value;
        }
        return result;
    }

    // "_?=DIR" runs the uninstaller in place, without its copy in the temp
    // folder, so that its exit code is the uninstall's. NSIS takes DIR as
    // the rest of the command line, unquoted: each word is its own argument,
    // which Wine joins with single spaces.
    std::vector<std::string> UninstallInPlace() const {
        std::vector<std::string> args = {"/S"};
        std::istringstream words("_?=" + installDir);
        for (std::string word; words >> word;) args.push_back(word);
        return args;
    }

    std::vector<std::string> InstalledFiles() const {
        return {installDir + "\\WinOvTerm.exe", installDir + "\\NetSpool.exe", installDir + "\\uninstall.exe"};
    }

    struct Shortcut {
        std::string file, target, workingDir, icon;
    };
    std::vector<Shortcut> Shortcuts() const {
        const std::string menu = kMenuFolder;
        return {
            // The programs write their files into the working directory: the user's.
            {menu + "\\WinOvTerm.lnk", installDir + "\\WinOvTerm.exe", "%USERPROFILE%", installDir + "\\WinOvTerm.exe"},
            {menu + "\\NetSpool.lnk", installDir + "\\NetSpool.exe", "%USERPROFILE%", installDir + "\\NetSpool.exe"},
            {menu + "\\Uninstall WinOvTerm.lnk", installDir + "\\uninstall.exe", installDir, ""},
        };
    }

    // Checks that the installation is whole.
    void ExpectInstalled(const std::string& when) {
        const Build& build = GetParam();
        for (const std::string& file : InstalledFiles()) {
            EXPECT_EQ(ovwine::ProgramMachine(UnixPath(file)), build.machine) << when << ": " << file;
        }
        for (const Shortcut& shortcut : Shortcuts()) {
            const ovwine::ShellLink link = ovwine::ReadShellLink(ovwine::ReadFile(UnixPath(shortcut.file)));
            ASSERT_TRUE(link.ok) << when << ": " << shortcut.file << ": " << link.error;
            EXPECT_EQ(link.targetPath, shortcut.target) << when << ": " << shortcut.file;
            EXPECT_EQ(link.workingDir, shortcut.workingDir) << when << ": " << shortcut.file;
            EXPECT_EQ(link.arguments, "") << when << ": " << shortcut.file;
            if (!shortcut.icon.empty()) {
                EXPECT_EQ(link.iconLocation, shortcut.icon) << when << ": " << shortcut.file;
            }
        }
        const RegKey key = Query(uninstallKey);
        ASSERT_TRUE(key.exists) << when << ": no " << uninstallKey << "\n" << key.text;
        // Settings, Apps counts EstimatedSize in KB; NSIS rounds each file up.
        uint32_t kb = 0;
        for (const char* name : {"WinOvTerm.exe", "NetSpool.exe"})
            kb += (ovwine::ReadFile(UnixPath(installDir + "\\" + name)).size() + 1023) / 1024;
        char size[16];
        std::snprintf(size, sizeof size, "0x%x", kb);
        const std::map<std::string, RegValue> expected = {
            {"DisplayName", {"REG_SZ", std::string("WinOvTerm ") + OV_VERSION_STRING + " (" + build.bits + ")"}},
            {"DisplayVersion", {"REG_SZ", OV_VERSION_STRING}},
            {"Publisher", {"REG_SZ", "The WinOvTerm developers"}},
            {"UninstallString", {"REG_SZ", "\"" + installDir + "\\uninstall.exe\""}},
            {"QuietUninstallString", {"REG_SZ", "\"" + installDir + "\\uninstall.exe\" /S"}},
            {"InstallLocation", {"REG_SZ", installDir}},
            {"DisplayIcon", {"REG_SZ", installDir + "\\WinOvTerm.exe,0"}},
            {"NoModify", {"REG_DWORD", "0x1"}},
            {"NoRepair", {"REG_DWORD", "0x1"}},
            {"EstimatedSize", {"REG_DWORD", size}},
        };
        for (const auto& [name, value] : expected) {
            const auto found = key.values.find(name);
            if (found == key.values.end()) {
                ADD_FAILURE() << when << ": no value " << name << " in " << uninstallKey << "\n" << key.text;
                continue;
            }
            EXPECT_EQ(found->second.type, value.type) << when << ": " << name;
            EXPECT_EQ(found->second.data, value.data) << when << ": " << name;
        }
        EXPECT_EQ(key.values.size(), expected.size()) << when << ": " << key.text;
        // The other build's registry view stays untouched.
        EXPECT_FALSE(Query(otherUninstallKey).exists) << when << ": " << otherUninstallKey << " was written";
    }

    void ExpectNothingInstalled(const std::string& when) {
        for (const std::string& file : InstalledFiles())
            EXPECT_FALSE(ovwine::FileExists(UnixPath(file))) << when << ": " << file << " is still there";
        EXPECT_FALSE(ovwine::FileExists(UnixPath(installDir))) << when << ": " << installDir << " is still there";
        for (const Shortcut& shortcut : Shortcuts())
            EXPECT_FALSE(ovwine::FileExists(UnixPath(shortcut.file))) << when << ": " << shortcut.file << " is still there";
        EXPECT_FALSE(ovwine::FileExists(UnixPath(kMenuFolder))) << when << ": " << kMenuFolder << " is still there";
        EXPECT_FALSE(Query(uninstallKey).exists) << when << ": " << uninstallKey << " is still there";
    }

    // The Start menu shortcut, opened as the shell opens it, starts the
    // installed terminal in the user's profile folder: its log lands there.
    void ExpectShortcutStartsInTheProfile() {
        const std::string profile = Query("HKCU\\Volatile Environment").values["USERPROFILE"].data;
        ASSERT_FALSE(UnixPath(profile).empty()) << "no profile folder: " << profile;
        const std::string log = UnixPath(profile + "\\scope.log");
        std::remove(log.c_str());
        const std::string shortcut = Shortcuts()[0].file;
        ASSERT_EQ(Run("C:\\windows\\explorer.exe", {shortcut}, 60000), 0) << lastOutput;
        const ovwine::DriveResult started =
            ovwine::Drive({std::string("window ") + ovwine::kTerminalClass + " 60000", "command 126",
                           "answer WinOvTerm OK", "command 126", "answer WinOvTerm OK", "close", "waitgone 20000"});
        EXPECT_TRUE(started.ok) << started.Transcript();
        EXPECT_TRUE(ovwine::FileExists(log)) << "WinOvTerm started from " << shortcut << " wrote no " << profile
                                             << "\\scope.log";
        // The profile is shared with the later tests: the program's files go.
        std::remove(log.c_str());
        std::remove(UnixPath(profile + "\\SCRLINES.SRC").c_str());
    }

    // Runs what Settings, Apps runs for a silent uninstall. The uninstaller
    // hands over to a copy of itself in the temp folder and ends, so this
    // waits for the copy's work: the install folder gone, then (its last
    // step) the Uninstall entry.
    void UninstallAsSettingsDoes() {
        const std::string quiet = Query(uninstallKey).values["QuietUninstallString"].data;
        const std::size_t close = quiet.find('"', 1);
        ASSERT_TRUE(quiet.compare(0, 1, "\"") == 0 && close != std::string::npos) << quiet;
        std::vector<std::string> args;
        std::istringstream words(quiet.substr(close + 1));
        for (std::string word; words >> word;) args.push_back(word);
        ASSERT_EQ(Run(quiet.substr(1, close - 1), args, 120000), 0) << lastOutput;
        EXPECT_TRUE(WaitUntil([&] { return !ovwine::FileExists(UnixPath(installDir)); }, 60000))
            << installDir << " is still there a minute after the uninstall";
        EXPECT_TRUE(WaitUntil([&] { return !Query(uninstallKey).exists; }, 30000))
            << uninstallKey << " is still there after the uninstall";
    }

    bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (done()) return true;
            if (Clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }

    std::string setup, installDir, uninstallKey, otherUninstallKey, lastOutput;
    bool fakedOtherBuild = false;
};

TEST_P(Installer, SilentInstallRunsAndSilentUninstallRemovesAllButTheUsersSettings) {
    const auto installStart = Clock::now();
    ASSERT_EQ(Run(setup, {"/S"}, 120000), 0) << lastOutput;
    const double installSeconds = Seconds(installStart);
    ExpectInstalled("after the install");
    if (HasFatalFailure()) return;
    ExpectShortcutStartsInTheProfile();
    if (HasFatalFailure()) return;

    // The installed terminal reaches the host.
    StartConnectedFrom(UnixPath(installDir + "\\WinOvTerm.exe"));
    if (HasFatalFailure()) return;
    RunOnHost("echo installed-''copy-''runs", "installed-copy-runs");

    // A running program's file can be neither replaced nor removed: setup and
    // uninstall end with exit code 2 and leave everything as it was.
    EXPECT_EQ(Run(setup, {"/S"}, 120000), 2) << lastOutput;
    EXPECT_EQ(Run(installDir + "\\uninstall.exe", UninstallInPlace(), 120000), 2) << lastOutput;
    ExpectInstalled("after setup and uninstall while WinOvTerm ran");
    EXPECT_TRUE(program->Running()) << program->Output();
    program->Kill();
    if (HasFatalFailure()) return;

    for (const std::string& key : kUserKeys)
        ASSERT_EQ(Reg({"add", key, "/v", "Kept", "/t", "REG_SZ", "/d", "by the uninstaller", "/f"}), 0) << lastOutput;
    const auto uninstallStart = Clock::now();
    UninstallAsSettingsDoes();
    const double uninstallSeconds = Seconds(uninstallStart);
    ExpectNothingInstalled("after the uninstall");
    for (const std::string& key : kUserKeys) {
        RegKey kept = Query(key);
        EXPECT_TRUE(kept.exists && kept.values["Kept"].data == "by the uninstaller")
            << key << " did not survive the uninstall\n"
            << kept.text;
    }
    std::fprintf(stderr, "[installer] %s: silent install %.1f s, silent uninstall %.1f s\n",
                 GetParam().arch.c_str(), installSeconds, uninstallSeconds);
}

// Both builds share the Start menu folder; each refuses to install beside the other.
TEST_P(Installer, RefusesToInstallBesideTheOtherBuild) {
    fakedOtherBuild = true;
    ASSERT_EQ(Reg({"add", otherUninstallKey, "/v", "InstallLocation", "/t", "REG_SZ", "/d",
                   "C:\\Program Files (other build)\\WinOvTerm", "/f"}),
              0)
        << lastOutput;
    EXPECT_EQ(Run(setup, {"/S"}, 120000), 2) << lastOutput;
    ExpectNothingInstalled("after setup with the other build installed");
    EXPECT_EQ(Query(otherUninstallKey).values.size(), 1u) << "the other build's entry changed";
}

INSTANTIATE_TEST_SUITE_P(Builds, Installer, ::testing::Values(kX64, kX86),
                         [](const ::testing::TestParamInfo<Build>& info) { return info.param.arch; });

}  // namespace
