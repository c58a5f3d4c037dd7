// Hexadecimal digits in stored setting values (key definitions, registry
// file data).
#pragma once

// The value of one hex digit, or -1 when c is not one.
inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
