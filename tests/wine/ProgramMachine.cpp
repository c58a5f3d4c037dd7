#include "ProgramMachine.h"

#include <cstdint>
#include <fstream>

namespace ovwine {

namespace {

constexpr std::streamoff kNewHeaderOffsetField = 0x3C;  // e_lfanew in the DOS header
constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;

bool ReadLittleEndian(std::ifstream& in, std::streamoff at, unsigned bytes, std::uint32_t& value) {
    unsigned char buffer[4] = {};
    in.seekg(at);
    if (!in.read(reinterpret_cast<char*>(buffer), bytes)) return false;
    value = 0;
    for (unsigned i = bytes; i > 0; --i) value = (value << 8) | buffer[i - 1];
    return true;
}

}  // namespace

Machine ProgramMachine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char dos[2] = {};
    if (!in.read(dos, 2) || dos[0] != 'M' || dos[1] != 'Z') return Machine::Unknown;
    std::uint32_t header = 0, signature = 0, machine = 0;
    if (!ReadLittleEndian(in, kNewHeaderOffsetField, 4, header) || !ReadLittleEndian(in, header, 4, signature) ||
        signature != 0x00004550 /* "PE\0\0" */ || !ReadLittleEndian(in, header + 4, 2, machine))
        return Machine::Unknown;
    switch (machine) {
    case kMachineI386: return Machine::I686;
    case kMachineAmd64: return Machine::X8664;
    default: return Machine::Unknown;
    }
}

const char* MachineName(Machine machine) {
    switch (machine) {
    case Machine::I686: return "i686";
    case Machine::X8664: return "x86-64";
    default: return "unknown";
    }
}

Machine MachineFromName(const std::string& name) {
    if (name == "i686") return Machine::I686;
    if (name == "x86-64" || name == "x86_64") return Machine::X8664;
    return Machine::Unknown;
}

}  // namespace ovwine
