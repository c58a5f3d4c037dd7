#include "net/CTermComm.h"

#include "emu/CRxHandler.h"
#include "view/CTermView.h"

CTermComm::CTermComm(int* status, CTermView* sinkView, CRxHandler* handler)
    : rxHandler(handler), sink(sinkView) {
    if (status) *status = 0;
}

CTermComm::~CTermComm() = default;

void CTermComm::GetLocalAddress(char* out, int size) {
    if (out && size > 0) out[0] = '\0';
}

void CTermComm::OnSocketEvent(int closed) {
    if (closed) {
        if (CheckError("Connection lost:") == 0 && sink)
            sink->MessageBox("Connection lost", "OvTerm", 0);
        Disconnect();
        return;
    }
    char buffer[kReceiveBlock];
    int length = kReceiveBlock;
    bool treatAsClosed = false;
    if (!Receive(buffer, &length)) {
        if (sink) sink->MessageBox("Connection broken", "Error", 0);
        treatAsClosed = true;
    }
    if (length > 0 && length <= kReceiveBlock && rxHandler) rxHandler->OnReceive(buffer, length);
    if (treatAsClosed) Disconnect();
}
