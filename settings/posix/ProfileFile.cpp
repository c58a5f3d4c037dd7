#include "settings/posix/ProfileFile.h"

#include <cstring>

namespace profilefile {

using settingsfiles::EqualNoCase;
using settingsfiles::TextLines;
using settingsfiles::Trim;

namespace {

enum class LineKind { Other, Section, Key };

struct Line {
    LineKind kind = LineKind::Other;
    std::string name;
    std::string value;
};

Line Parse(const std::string& raw) {
    Line line;
    std::string text = Trim(raw);
    // An editor's UTF-8 signature must not hide the first section.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text = Trim(text.substr(3));
    if (text.empty() || text[0] == ';') return line;
    if (text[0] == '[') {
        const size_t close = text.find(']');
        if (close == std::string::npos) return line;
        line.kind = LineKind::Section;
        line.name = Trim(text.substr(1, close - 1));
        return line;
    }
    const size_t equals = text.find('=');
    if (equals == std::string::npos) return line;
    line.kind = LineKind::Key;
    line.name = Trim(text.substr(0, equals));
    line.value = Trim(text.substr(equals + 1));
    return line;
}

std::string StripQuotes(const std::string& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

// Index of the first section header of that name, or npos.
size_t FindSection(const TextLines& text, const std::string& section) {
    for (size_t i = 0; i < text.lines.size(); ++i) {
        const Line line = Parse(text.lines[i]);
        if (line.kind == LineKind::Section && EqualNoCase(line.name, section)) return i;
    }
    return std::string::npos;
}

// One past the last line of the section whose header is at index header.
size_t SectionEnd(const TextLines& text, size_t header) {
    size_t i = header + 1;
    while (i < text.lines.size() && Parse(text.lines[i]).kind != LineKind::Section) ++i;
    return i;
}

size_t FindKey(const TextLines& text, size_t header, const std::string& key, Line* found) {
    const size_t end = SectionEnd(text, header);
    for (size_t i = header + 1; i < end; ++i) {
        Line line = Parse(text.lines[i]);
        if (line.kind == LineKind::Key && EqualNoCase(line.name, key)) {
            if (found) *found = std::move(line);
            return i;
        }
    }
    return std::string::npos;
}

size_t CopyOut(const std::string& text, char* out, size_t outSize) {
    if (!out || outSize == 0) return 0;
    // A stray NUL in the file ends the value, as it would end the caller's string.
    const size_t textLength = strnlen(text.c_str(), text.size());
    const size_t length = textLength < outSize - 1 ? textLength : outSize - 1;
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
    return length;
}

}  // namespace

bool FindValue(const TextLines& text, const char* section, const char* key, std::string* value) {
    if (!section || !key) return false;
    const size_t header = FindSection(text, Trim(section));
    if (header == std::string::npos) return false;
    Line line;
    if (FindKey(text, header, Trim(key), &line) == std::string::npos) return false;
    *value = StripQuotes(line.value);
    return true;
}

bool Edit(TextLines& text, const char* section, const char* key, const char* value) {
    if (!section) return false;
    const size_t header = FindSection(text, Trim(section));
    if (!key) {
        if (header == std::string::npos) return false;
        const size_t end = SectionEnd(text, header);
        text.lines.erase(text.lines.begin() + static_cast<long>(header), text.lines.begin() + static_cast<long>(end));
        return true;
    }
    if (header == std::string::npos) {
        if (!value) return false;
        if (!text.lines.empty() && !Trim(text.lines.back()).empty()) text.lines.emplace_back();
        text.lines.push_back(std::string("[") + section + "]");
        text.lines.push_back(std::string(key) + "=" + value);
        return true;
    }
    Line existing;
    const size_t at = FindKey(text, header, Trim(key), &existing);
    if (at != std::string::npos) {
        if (!value) {
            text.lines.erase(text.lines.begin() + static_cast<long>(at));
            return true;
        }
        // The key keeps the spelling it has in the file.
        std::string replaced = existing.name + "=" + value;
        if (replaced == text.lines[at]) return false;
        text.lines[at] = std::move(replaced);
        return true;
    }
    if (!value) return false;
    // New keys go after the section's last key, ahead of any comment or blank
    // lines that lead into the next section.
    size_t insertAt = header + 1;
    const size_t end = SectionEnd(text, header);
    for (size_t i = header + 1; i < end; ++i) {
        if (Parse(text.lines[i]).kind == LineKind::Key) insertAt = i + 1;
    }
    text.lines.insert(text.lines.begin() + static_cast<long>(insertAt), std::string(key) + "=" + value);
    return true;
}

std::size_t Read(const std::string& path, const char* section, const char* key, const char* defaultValue,
                 char* out, std::size_t outSize) {
    std::string contents;
    if (settingsfiles::ReadWholeFile(path, &contents) == settingsfiles::ReadResult::Ok) {
        std::string value;
        if (FindValue(settingsfiles::SplitLines(contents), section, key, &value)) return CopyOut(value, out, outSize);
    }
    std::string fallback = defaultValue ? defaultValue : "";
    while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) fallback.pop_back();
    return CopyOut(fallback, out, outSize);
}

bool Write(const std::string& path, const char* section, const char* key, const char* value) {
    if (!section && !key && !value) return true;  // flush: every write is already on disk
    if (!section) return false;
    std::string contents;
    if (settingsfiles::ReadWholeFile(path, &contents) == settingsfiles::ReadResult::Failed) return false;
    TextLines text = settingsfiles::SplitLines(contents);
    if (!Edit(text, section, key, value)) return true;  // nothing to change
    return settingsfiles::WriteFileAtomically(path, settingsfiles::JoinLines(text));
}

}  // namespace profilefile
