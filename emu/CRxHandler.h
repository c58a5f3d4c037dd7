// What a transport hands the host's data bytes to.
#pragma once

class CRxHandler {
public:
    virtual ~CRxHandler() = default;
    virtual void OnReceive(const char* data, int len) { (void)data; (void)len; }
};
