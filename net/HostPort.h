// The "name:port" form of a host text.
#pragma once

#include <string>

// True when text is a non-empty name without another colon, then ':' and
// only digits giving a port from 1 to 65535; name and port are filled in
// then. Any other text is an ordinary host name (false, outputs untouched).
bool SplitHostPort(const char* text, std::string* name, int* port);
