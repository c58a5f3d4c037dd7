#include "ext/MenuTransfer.h"

#include "ext/FtpScript.h"
#include "view/WindowPort.h"

namespace {

constexpr char kCaption[] = "FTP Error";
constexpr char kClientCommand[] = "FTP -v -i -s:SCRFTP";

void Show(const MessageFn& showMessage, const char* text) {
    if (showMessage) showMessage(text, kCaption, mb::kIconExclamation);
}

}  // namespace

int RunMenuTransfer(const MenuTransferRequest& request, const MessageFn& showMessage) {
    ftp::Transfer transfer;
    transfer.host = request.host;
    if (!request.host.empty()) transfer.login = ftp::ReadLogin(request.host);
    // No host has no settings section, so it cannot have been set up.
    if (transfer.login.user.empty()) {
        Show(showMessage, "FTP Not Set Up!!");
        return 0;
    }
    transfer.mode = request.textMode ? "ascii" : "binary";
    transfer.files = request.file;
    transfer.directory = request.directory;
    transfer.upload = request.upload;

    switch (ftp::RunFtpScript(ftp::MenuScriptLines(transfer), kClientCommand)) {
    case ftp::ScriptResult::kRan: return 1;
    case ftp::ScriptResult::kNotStarted: return 0;
    case ftp::ScriptResult::kWriteFailed: break;
    }
    Show(showMessage, "FTP - Unable to Create Script File");
    return 0;
}

int SaveFtpLogin(const std::string& host, const std::string& user, const std::string& password) {
    return ftp::WriteLogin(host, user, password);
}
