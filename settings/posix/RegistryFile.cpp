#include "settings/posix/RegistryFile.h"

#include <cstdio>

#include "settings/HexDigit.h"

namespace registryfile {

using settingsfiles::EqualNoCase;
using settingsfiles::TextLines;
using settingsfiles::Trim;

namespace {

const char kHive[] = "HKEY_CURRENT_USER\\";
const char kHeader[] = "REGEDIT4";

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool HasControl(const std::string& text) {
    for (unsigned char c : text) {
        if (IsControl(c)) return true;
    }
    return false;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

// Reads a quoted string starting at text[pos] == '"'; pos ends past the closing quote.
bool ReadQuoted(const std::string& text, size_t& pos, std::string* out) {
    out->clear();
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < text.size()) {
            const char next = text[pos + 1];
            if (next == '\\' || next == '"') {
                *out += next;
                ++pos;
                continue;
            }
        }
        *out += c;
    }
    return false;
}

// "41,42,00" -> "AB"; the text ends at the first zero byte.
bool DecodeHexString(const std::string& data, std::string* out) {
    out->clear();
    bool ended = false;
    size_t pos = 0;
    while (pos < data.size()) {
        while (pos < data.size() && (data[pos] == ' ' || data[pos] == '\t')) ++pos;
        if (pos == data.size()) break;
        if (pos + 1 >= data.size()) return false;
        const int high = HexDigit(data[pos]);
        const int low = HexDigit(data[pos + 1]);
        if (high < 0 || low < 0) return false;
        const char byte = static_cast<char>(high * 16 + low);
        if (byte == '\0') ended = true;
        if (!ended) *out += byte;
        pos += 2;
        while (pos < data.size() && (data[pos] == ' ' || data[pos] == '\t')) ++pos;
        if (pos < data.size() && data[pos] != ',') return false;
        ++pos;
    }
    return true;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// A section header "[path]"; "[-path]" deletes a key on import and names none here.
bool ParseHeader(const std::string& line, std::string* path) {
    const std::string text = Trim(line);
    if (text.size() < 2 || text[0] != '[' || text.back() != ']') return false;
    *path = text.substr(1, text.size() - 2);
    return true;
}

bool IsOurKey(const std::string& path, const std::string& subKey) {
    return EqualNoCase(path, kHive + subKey);
}

// Where the data of a value line starts ("name"=<data>), or npos for a line
// that is no value line; name receives the value's name.
size_t DataStart(const std::string& text, std::string* name) {
    name->clear();
    size_t pos = 0;
    if (text.empty()) return std::string::npos;
    if (text[0] == '@') {
        pos = 1;
    } else if (text[0] != '"' || !ReadQuoted(text, pos, name)) {
        return std::string::npos;
    }
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    if (pos >= text.size() || text[pos] != '=') return std::string::npos;
    ++pos;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    return pos;
}

// Hex data is the one kind that regedit continues on the next line.
bool ContinuesOnNextLine(const std::string& text) {
    std::string name;
    const size_t data = DataStart(text, &name);
    return data != std::string::npos && !text.empty() && text.back() == '\\' &&
           StartsWithNoCase(text.substr(data), "hex");
}

// A value line with any lines that continue it.
struct Entry {
    size_t first = 0;
    size_t count = 0;
    std::string text;
};

Entry ReadEntry(const TextLines& text, size_t index, size_t end) {
    Entry entry;
    entry.first = index;
    entry.count = 1;
    entry.text = Trim(text.lines[index]);
    while (ContinuesOnNextLine(entry.text) && index + entry.count < end) {
        entry.text.pop_back();
        entry.text += Trim(text.lines[index + entry.count]);
        ++entry.count;
    }
    return entry;
}

size_t SectionEnd(const TextLines& text, size_t header) {
    std::string path;
    size_t i = header + 1;
    while (i < text.lines.size() && !ParseHeader(text.lines[i], &path)) ++i;
    return i;
}

void EnsureHeader(TextLines& text) {
    for (const std::string& line : text.lines) {
        const std::string trimmed = Trim(line);
        if (trimmed.empty()) continue;
        if (trimmed == kHeader || trimmed.compare(0, 31, "Windows Registry Editor Version") == 0) return;
        break;
    }
    text.lines.insert(text.lines.begin(), {kHeader, ""});
}

// Where a value for the key was last set: the entry, or npos in entry.first.
Entry LastEntry(const TextLines& text, const std::string& subKey, const std::string& name, std::string* value,
                ValueState* state) {
    Entry last;
    last.first = std::string::npos;
    if (state) *state = ValueState::Missing;
    std::string path;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        if (!ParseHeader(text.lines[i], &path) || !IsOurKey(path, subKey)) continue;
        const size_t end = SectionEnd(text, i);
        for (size_t j = i + 1; j < end;) {
            Entry entry = ReadEntry(text, j, end);
            j += entry.count;
            std::string entryName, entryValue;
            ValueState entryState = ValueState::Missing;
            if (!ParseValueLine(entry.text, &entryName, &entryState, &entryValue) || !EqualNoCase(entryName, name))
                continue;
            if (state) *state = entryState;
            if (value) *value = entryValue;
            last = std::move(entry);
        }
        i = end - 1;
    }
    return last;
}

}  // namespace

std::string NormalizeKeyPath(const char* subKey) {
    if (!subKey) return std::string();
    std::string path = subKey;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    size_t start = 0;
    while (start < path.size() && path[start] == '\\') ++start;
    path.erase(0, start);
    if (HasControl(path) || path.find("\\\\") != std::string::npos) return std::string();
    return path;
}

bool ParseValueLine(const std::string& line, std::string* name, ValueState* state, std::string* value) {
    value->clear();
    *state = ValueState::Missing;
    const std::string text = Trim(line);
    const size_t pos = DataStart(text, name);
    if (pos == std::string::npos) return false;
    const std::string data = Trim(text.substr(pos));
    *state = ValueState::OtherType;
    if (data == "-") {
        *state = ValueState::Missing;
    } else if (!data.empty() && data[0] == '"') {
        size_t end = 0;
        if (ReadQuoted(data, end, value) && end == data.size()) *state = ValueState::String;
    } else if (StartsWithNoCase(data, "hex(1):") || StartsWithNoCase(data, "hex(2):")) {
        if (DecodeHexString(data.substr(7), value)) *state = ValueState::String;
    }
    if (*state != ValueState::String) value->clear();
    return true;
}

std::string FormatValueLine(const std::string& name, const std::string& value) {
    std::string line = name.empty() ? "@=" : "\"" + Escape(name) + "\"=";
    if (!HasControl(value)) return line + "\"" + Escape(value) + "\"";
    line += "hex(1):";
    char byte[4];
    for (unsigned char c : value) {
        std::snprintf(byte, sizeof byte, "%02x,", c);
        line += byte;
    }
    return line + "00";
}

bool KeyExists(const TextLines& text, const std::string& subKey) {
    if (subKey.empty()) return false;
    const std::string self = kHive + subKey;
    const std::string child = self + "\\";
    std::string path;
    for (const std::string& line : text.lines) {
        if (ParseHeader(line, &path) && (EqualNoCase(path, self) || StartsWithNoCase(path, child))) return true;
    }
    return false;
}

ValueState FindValue(const TextLines& text, const std::string& subKey, const std::string& name, std::string* value) {
    ValueState state = ValueState::Missing;
    std::string found;
    LastEntry(text, subKey, name, &found, &state);
    if (state == ValueState::String) *value = found;
    return state;
}

bool AddKey(TextLines& text, const std::string& subKey) {
    if (subKey.empty() || KeyExists(text, subKey)) return false;
    EnsureHeader(text);
    if (!text.lines.empty() && !Trim(text.lines.back()).empty()) text.lines.emplace_back();
    text.lines.push_back("[" + std::string(kHive) + subKey + "]");
    return true;
}

bool SetValue(TextLines& text, const std::string& subKey, const std::string& name, const std::string& value) {
    if (subKey.empty() || HasControl(name)) return false;
    const Entry last = LastEntry(text, subKey, name, nullptr, nullptr);
    if (last.first != std::string::npos) {
        // The value keeps the spelling of its name, as in the registry.
        std::string existingName, ignored;
        ValueState state = ValueState::Missing;
        ParseValueLine(last.text, &existingName, &state, &ignored);
        const std::string line = FormatValueLine(existingName, value);
        text.lines.erase(text.lines.begin() + static_cast<long>(last.first),
                         text.lines.begin() + static_cast<long>(last.first + last.count));
        text.lines.insert(text.lines.begin() + static_cast<long>(last.first), line);
        return true;
    }
    const std::string line = FormatValueLine(name, value);
    // Into the last section of the key, after its last non-blank line.
    std::string path;
    size_t section = std::string::npos;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        if (ParseHeader(text.lines[i], &path) && IsOurKey(path, subKey)) section = i;
    }
    if (section == std::string::npos) {
        EnsureHeader(text);
        if (!text.lines.empty() && !Trim(text.lines.back()).empty()) text.lines.emplace_back();
        text.lines.push_back("[" + std::string(kHive) + subKey + "]");
        text.lines.push_back(line);
        return true;
    }
    size_t insertAt = section + 1;
    bool leftOpen = false;
    const size_t end = SectionEnd(text, section);
    for (size_t i = section + 1; i < end;) {
        const Entry entry = ReadEntry(text, i, end);
        i += entry.count;
        if (entry.text.empty()) continue;
        insertAt = i;
        leftOpen = ContinuesOnNextLine(entry.text);
    }
    // Hex data left open at the end would take the new line in as its own.
    if (leftOpen) text.lines.insert(text.lines.begin() + static_cast<long>(insertAt++), std::string());
    text.lines.insert(text.lines.begin() + static_cast<long>(insertAt), line);
    return true;
}

}  // namespace registryfile
