#include "ext/FtpScript.h"

#include <cstdio>

#include "ext/ProgramLauncher.h"
#include "settings/Settings.h"

namespace ftp {

namespace {

constexpr int kScrambleStep = 5;
// The settings buffers of both transfers.
constexpr std::size_t kSettingSize = 100;
constexpr int kShowHidden = 0;

std::string Shifted(const std::string& text, int step) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(static_cast<unsigned char>(c) + step);
    return out;
}

std::string Read(const char* key, const char* defaultValue, const std::string& host) {
    char value[kSettingSize];
    ReadSetting(key, defaultValue, host.c_str(), kApplicationName, kProfileBase, value, sizeof value);
    return value;
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

std::vector<std::string> ScriptLines(const Transfer& t, const std::vector<std::string>& settingsLines) {
    std::vector<std::string> lines = {"open " + t.host, t.login.user, t.login.password};
    lines.insert(lines.end(), settingsLines.begin(), settingsLines.end());
    if (t.upload) {
        lines.push_back("cd " + t.directory);
        lines.push_back("mput " + t.files);
    } else {
        lines.push_back("mget " + t.files);
    }
    lines.push_back("close");
    lines.push_back("bye");
    return lines;
}

bool WriteScript(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        if (HasLineBreak(line) || line.find('\0') != std::string::npos) return false;
    std::FILE* file = std::fopen(kScriptFile, "w");
    if (!file) return false;
    bool ok = true;
    for (std::size_t i = 0; i < lines.size() && ok; ++i) {
        ok = std::fputs(lines[i].c_str(), file) >= 0;
        if (ok && i + 1 < lines.size()) ok = std::fputc('\n', file) != EOF;
    }
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::remove(kScriptFile);
    return ok;
}

}  // namespace

std::string Scramble(const std::string& clear) { return Shifted(clear, kScrambleStep); }

std::string Unscramble(const std::string& stored) { return Shifted(stored, -kScrambleStep); }

Login ReadLogin(const std::string& host) {
    Login login;
    login.user = Read("User", "NULL", host);
    // No default here: the profile layout would hand back "NULL" and the
    // client would send its unscrambled letters as the password.
    login.password = Unscramble(Read("Password", "", host));
    return login;
}

int WriteLogin(const std::string& host, const std::string& user, const std::string& password) {
    if (host.empty()) return 0;
    const std::string stored = Scramble(password);
    if (stored.find('\0') != std::string::npos || HasLineBreak(stored)) return 0;
    int userStored = WriteSetting("User", host.c_str(), kApplicationName, kProfileBase, user.c_str());
    int passwordStored = WriteSetting("Password", host.c_str(), kApplicationName, kProfileBase, stored.c_str());
    return userStored && passwordStored ? 1 : 0;
}

std::vector<std::string> MenuScriptLines(const Transfer& transfer) {
    return ScriptLines(transfer, {"passive", transfer.mode});
}

std::vector<std::string> HostScriptLines(const Transfer& transfer) {
    return ScriptLines(transfer, {transfer.mode, "prompt"});
}

ScriptResult RunFtpScript(const std::vector<std::string>& lines, const char* command, CProgramLauncher& launcher) {
    if (!WriteScript(lines)) return ScriptResult::kWriteFailed;
    int ran = launcher.Run(command, kShowHidden);
    std::remove(kScriptFile);
    return ran ? ScriptResult::kRan : ScriptResult::kNotStarted;
}

}  // namespace ftp
