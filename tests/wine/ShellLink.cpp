#include "ShellLink.h"

#include <cstdint>
#include <cstring>

namespace ovwine {

namespace {

// LinkFlags of the header.
constexpr uint32_t kHasTargetIdList = 0x01;
constexpr uint32_t kHasLinkInfo = 0x02;
constexpr uint32_t kHasName = 0x04;
constexpr uint32_t kHasRelativePath = 0x08;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;
// LinkInfoFlags: a volume and a local base path follow.
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x01;

constexpr std::size_t kHeaderSize = 0x4C;
// {00021401-0000-0000-C000-000000000046} as stored.
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}

    bool Has(std::size_t at, std::size_t n) const { return at <= bytes_.size() && n <= bytes_.size() - at; }
    uint32_t U16(std::size_t at) const { return Byte(at) | Byte(at + 1) << 8; }
    uint32_t U32(std::size_t at) const { return U16(at) | U16(at + 2) << 16; }
    // A NUL-terminated single-byte string from `at` (false when unterminated).
    bool Ansi(std::size_t at, std::string& out) const {
        const std::size_t end = bytes_.find('\0', at);
        if (at >= bytes_.size() || end == std::string::npos) return false;
        out = bytes_.substr(at, end - at);
        return true;
    }
    // `count` UTF-16LE code units from `at`, as UTF-8.
    std::string Utf16(std::size_t at, std::size_t count) const {
        std::string out;
        for (std::size_t i = 0; i < count; ++i) {
            uint32_t c = U16(at + 2 * i);
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
                const uint32_t low = U16(at + 2 * (i + 1));
                if (low >= 0xDC00 && low < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
            AppendUtf8(out, c);
        }
        return out;
    }

private:
    uint32_t Byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }
    static void AppendUtf8(std::string& out, uint32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    const std::string& bytes_;
};

ShellLink Fail(const std::string& why) {
    ShellLink link;
    link.error = why;
    return link;
}

}  // namespace

ShellLink ReadShellLink(const std::string& bytes) {
    const Reader in(bytes);
    if (!in.Has(0, kHeaderSize) || in.U32(0) != kHeaderSize || std::memcmp(bytes.data() + 4, kLinkClsid, 16) != 0)
        return Fail("no shell link header");
    const uint32_t flags = in.U32(0x14);
    std::size_t at = kHeaderSize;
    ShellLink link;

    if (flags & kHasTargetIdList) {
        if (!in.Has(at, 2)) return Fail("ID list cut short");
        at += 2 + in.U16(at);
    }
    if (flags & kHasLinkInfo) {
        if (!in.Has(at, 0x1C)) return Fail("link info cut short");
        const std::size_t info = at;
        const uint32_t size = in.U32(info);
        const uint32_t headerSize = in.U32(info + 4);
        if (!in.Has(info, size) || headerSize < 0x1C) return Fail("link info cut short");
        if (in.U32(info + 8) & kVolumeIdAndLocalBasePath) {
            // The Unicode path, when the header has its offset, else the ANSI one.
            const uint32_t unicodeOffset = headerSize >= 0x24 ? in.U32(info + 0x1C) : 0;
            if (unicodeOffset != 0) {
                std::size_t n = 0;
                while (in.Has(info + unicodeOffset + 2 * n, 2) && in.U16(info + unicodeOffset + 2 * n) != 0) ++n;
                link.targetPath = in.Utf16(info + unicodeOffset, n);
            } else if (!in.Ansi(info + in.U32(info + 0x10), link.targetPath)) {
                return Fail("local base path cut short");
            }
        }
        at = info + size;
    }
    // The string data, each a count of characters and the characters.
    const bool unicode = flags & kIsUnicode;
    const uint32_t order[] = {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation};
    for (uint32_t which : order) {
        if (!(flags & which)) continue;
        if (!in.Has(at, 2)) return Fail("string data cut short");
        const std::size_t count = in.U16(at);
        const std::size_t size = unicode ? 2 * count : count;
        if (!in.Has(at + 2, size)) return Fail("string data cut short");
        std::string text = unicode ? in.Utf16(at + 2, count) : bytes.substr(at + 2, count);
        // Wine counts a terminating NUL as well.
        while (!text.empty() && text.back() == '\0') text.pop_back();
        if (which == kHasWorkingDir) link.workingDir = text;
        if (which == kHasArguments) link.arguments = text;
        if (which == kHasIconLocation) link.iconLocation = text;
        at += 2 + size;
    }
    link.ok = true;
    return link;
}

}  // namespace ovwine
