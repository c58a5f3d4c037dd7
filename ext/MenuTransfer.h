// The Download File / Upload File transfer of the Utilities menu and the FTP
// Settings dialog's store, without the dialogs: these take the texts the
// dialogs read from their controls.
#pragma once

#include <functional>
#include <string>

struct MenuTransferRequest {
    std::string host, file, directory;  // directory only for uploads
    bool upload = false;
    bool textMode = false;              // the Text radio button
};

// Shows a message through the callback (text, caption, type; type 0x30 = exclamation).
using MessageFn = std::function<int(const char* text, const char* caption, unsigned type)>;

// Writes the script for the host's stored login, runs "FTP -v -i -s:SCRFTP"
// hidden until it ends and deletes the script again. Returns 1 when the
// client ran; 0 after "FTP Not Set Up!!" (no user stored for the host, or no
// host), after "FTP - Unable to Create Script File", or when the client
// could not be started (not reported, as with every launched program).
// Texts are taken whole: no line of the script has a fixed size.
int RunMenuTransfer(const MenuTransferRequest& request, const MessageFn& showMessage);

// FTP Settings dialog's OK: stores "User" and the scrambled "Password" under
// the host. 0 when nothing was stored (see ftp::WriteLogin for what is refused).
int SaveFtpLogin(const std::string& host, const std::string& user, const std::string& password);
