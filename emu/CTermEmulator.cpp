#include "emu/CTermEmulator.h"

#include "view/CTermView.h"

CTermEmulator::CTermEmulator(int* error, CTermController* ctl, CTermView* v, CTermComm* comms,
                             CTermPrinter* p)
    : controller(ctl), view(v), transport(comms), printer(p) {
    if (error) *error = 0;
}

CTermEmulator::~CTermEmulator() = default;

void CTermEmulator::OnReceive(const char* data, int len) {
    if (view && data && len > 0) view->PutText(data, len);
}

void CTermEmulator::SendKey(unsigned) {}

void CTermEmulator::OnConnect(const char*) {}
