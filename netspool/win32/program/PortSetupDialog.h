// The "Printer Port Setup" dialog (resource 107): one drop-down list of
// printers per port; OK stores the four choices.
#pragma once

#include <windows.h>

#include "netspool/PrintServer.h"
#include "netspool/Spooler.h"

// Runs the modal dialog over owner. The server keeps serving while it is
// open: the dialog's message loop dispatches the ports' notifications.
void RunPortSetupDialog(HWND owner, netspool::CPrintServer& server, netspool::CSpooler& spooler);
