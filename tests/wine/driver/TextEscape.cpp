#include "TextEscape.h"

namespace ovdrive {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool UnescapeText(std::string_view in, std::string& out, std::string& error) {
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\') {
            out += in[i];
            continue;
        }
        if (++i == in.size()) {
            error = "backslash at the end of \"" + std::string(in) + "\"";
            return false;
        }
        switch (in[i]) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'e': out += '\x1b'; break;
        case 's': out += ' '; break;
        case '\\': out += '\\'; break;
        case 'x': {
            int hi = i + 1 < in.size() ? HexValue(in[i + 1]) : -1;
            int lo = i + 2 < in.size() ? HexValue(in[i + 2]) : -1;
            if (hi < 0 || lo < 0) {
                error = "\\x needs two hex digits in \"" + std::string(in) + "\"";
                return false;
            }
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            error = std::string("unknown escape \\") + in[i] + " in \"" + std::string(in) + "\"";
            return false;
        }
    }
    return true;
}

std::string EscapeText(std::string_view in, bool spaceAsEscape) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(in.size());
    for (char ch : in) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case 0x1b: out += "\\e"; break;
        case '\\': out += "\\\\"; break;
        case ' ':
            out += spaceAsEscape ? "\\s" : " ";
            break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                out += "\\x";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    return out;
}

}  // namespace ovdrive
