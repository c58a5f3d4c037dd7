// The byte-stream fixture files (tests/fixtures/*.fix): their cases, each
// with the bytes to feed and what the screen, cursor, host, printer, launcher
// and working directory must hold afterwards. The format is described in
// tests/emu/FixtureRunner.cpp, which checks them.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

struct Fixture {
    std::string file;
    std::string name;
    int line = 0;
    std::string input;
    std::map<int, std::string> rows;
    bool anyRows = false;
    bool hasCursor = false;
    std::string cursor;
    std::string sent;
    std::string printed;
    std::vector<std::pair<std::pair<int, int>, unsigned>> cells;
    std::vector<std::string> runs;
    std::vector<std::string> messages;
    std::map<std::string, std::string> files;
};

// Names the case instead of dumping its bytes when a test fails.
inline void PrintTo(const Fixture& f, std::ostream* os) { *os << f.file << ":" << f.line << " " << f.name; }

// Every case of every fixture file in directory, files in name order.
std::vector<Fixture> LoadFixtures(const std::string& directory);

}  // namespace testsupport
