#include "view/CTermView.h"

#include <cstring>

#include "session/CTermController.h"

CTermView::CTermView(CTermController* owner, int* failed) : controller(owner) {
    if (failed) *failed = 0;
    std::memset(messageLine, 0, sizeof messageLine);
    std::memset(marks, 0, sizeof marks);
    std::memset(transmit, 0, sizeof transmit);
}

CTermView::~CTermView() = default;

void CTermView::TransmitBuffer() {
    if (transmitCount < 0) transmitCount = 0;
    if (transmitCount > screen::kTransmitSize) transmitCount = screen::kTransmitSize;
    // The host gets one byte per entry.
    char bytes[screen::kTransmitSize];
    for (int i = 0; i < transmitCount; ++i) bytes[i] = static_cast<char>(transmit[i] & 0xFFu);
    if (controller && transmitCount > 0) controller->SendToHost(bytes, transmitCount);
}
