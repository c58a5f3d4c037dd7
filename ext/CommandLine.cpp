#include "ext/CommandLine.h"

namespace cmdline {

bool Join(const char* text1, const char* text2, const char* text3, const char* text4, const char* text5,
          std::string* out) {
    out->clear();
    std::string line;
    for (const char* text : {text1, text2, text3, text4, text5}) {
        if (text) line += text;
        if (line.size() > kMaxLength) return false;
    }
    *out = std::move(line);
    return true;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0, n = line.size();

    // The program name: quotes group, backslashes are path separators.
    while (i < n && IsBlank(line[i])) ++i;
    if (i == n) return words;
    std::string program;
    bool quoted = false;
    for (; i < n && (quoted || !IsBlank(line[i])); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else
            program += line[i];
    }
    words.push_back(program);

    for (;;) {
        while (i < n && IsBlank(line[i])) ++i;
        if (i == n) break;
        std::string word;
        quoted = false;
        while (i < n && (quoted || !IsBlank(line[i]))) {
            if (line[i] == '\\') {
                std::size_t slashes = 0;
                while (i < n && line[i] == '\\') ++slashes, ++i;
                if (i < n && line[i] == '"') {
                    word.append(slashes / 2, '\\');
                    if (slashes % 2) {
                        word += '"';
                        ++i;
                    }
                    // An even count leaves the quote to group below.
                } else {
                    word.append(slashes, '\\');
                }
                continue;
            }
            if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    word += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            word += line[i++];
        }
        words.push_back(word);
    }
    return words;
}

}  // namespace cmdline
