#include "support/FixtureFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tools/script/Escapes.h"
#include "support/TempDirectory.h"

namespace fs = std::filesystem;
using script::Unescape;

namespace testsupport {

std::vector<Fixture> LoadFixtures(const std::string& directory) {
    std::vector<Fixture> all;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(directory))
        if (entry.path().extension() == ".fix") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& path : files) {
        std::ifstream in(path);
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            if (line.empty() || line[0] == '#') continue;
            if (line.rfind("=== ", 0) == 0) {
                Fixture f;
                f.file = path.filename().string();
                f.name = line.substr(4);
                f.line = number;
                all.push_back(f);
                continue;
            }
            if (all.empty()) throw std::runtime_error(path.string() + ": text before the first case");
            Fixture& f = all.back();
            std::istringstream words(line);
            std::string keyword;
            words >> keyword;
            std::string rest = line.size() > keyword.size() + 1 ? line.substr(keyword.size() + 1) : "";
            if (keyword == "in") {
                f.input += Unescape(rest);
            } else if (keyword == "row") {
                int row;
                words >> row;
                std::string text;
                std::getline(words, text);
                if (!text.empty() && text[0] == ' ') text.erase(0, 1);
                if (text.size() > 1 && text[0] == '@') {
                    size_t end = text.find(' ');
                    int column = std::stoi(text.substr(1, end - 1));
                    text = std::string(static_cast<size_t>(column), ' ') +
                           (end == std::string::npos ? "" : text.substr(end + 1));
                }
                f.rows[row] = text;
            } else if (keyword == "cursor") {
                f.hasCursor = true;
                f.cursor = rest;
            } else if (keyword == "sent") {
                f.sent += FromHex(rest);
            } else if (keyword == "printed") {
                f.printed += Unescape(rest);
            } else if (keyword == "cell") {
                int r, c;
                std::string hex;
                words >> r >> c >> hex;
                f.cells.push_back({{r, c}, static_cast<unsigned>(std::stoul(hex, nullptr, 16))});
            } else if (keyword == "run") {
                f.runs.push_back(Unescape(rest));
            } else if (keyword == "message") {
                f.messages.push_back(Unescape(rest));
            } else if (keyword == "file") {
                std::string name, text;
                words >> name;
                std::getline(words, text);
                if (!text.empty() && text[0] == ' ') text.erase(0, 1);
                f.files[name] += Unescape(text);
            } else if (keyword == "anyrows") {
                f.anyRows = true;
            } else {
                throw std::runtime_error(path.string() + ":" + std::to_string(number) + ": unknown keyword " +
                                         keyword);
            }
        }
    }
    return all;
}

}  // namespace testsupport
