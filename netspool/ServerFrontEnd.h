// Where the print server reports: the running log of status lines (the
// window's status grid on Windows, timestamped standard output for the
// daemon) and the messages that need the user's attention (message boxes
// on Windows, standard error for the daemon).
#pragma once

namespace netspool {

class CServerFrontEnd {
public:
    virtual ~CServerFrontEnd() = default;
    virtual void ShowStatusLine(const char* text) = 0;
    // A message with an OK button (the caption names its kind).
    virtual void ShowMessage(const char* text, const char* caption) = 0;
    // The same with the exclamation icon.
    virtual void ShowWarning(const char* text, const char* caption) = 0;
};

}  // namespace netspool
