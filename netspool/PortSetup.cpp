#include "netspool/PortSetup.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>

#include "settings/Settings.h"

namespace netspool {

namespace {

// The daemon reads a port's setting on that port's thread.
std::mutex settingsMutex;

void CopyName(char (&out)[kPrinterNameSize], const std::string& text) {
    const std::size_t length = std::min(text.size(), kPrinterNameSize - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

std::string CutName(const std::string& text) { return text.substr(0, kPrinterNameSize - 1); }

}  // namespace

std::string PortValueName(int index) { return "Port" + std::to_string(kFirstPortNumber + index); }

std::string ReadPortSetting(int index) {
    char buffer[kPrinterNameSize];
    std::lock_guard<std::mutex> lock(settingsMutex);
    ReadRegistrySetting(PortValueName(index).c_str(), kSettingsSection, kSettingsApplication, buffer, sizeof buffer);
    return buffer;
}

void WritePortSetting(int index, const char* printerName) {
    const std::string name = CutName(printerName ? printerName : "");
    std::lock_guard<std::mutex> lock(settingsMutex);
    WriteRegistrySetting(PortValueName(index).c_str(), kSettingsSection, kSettingsApplication, name.c_str());
}

void AssignPrinter(PrinterPort& port, const std::string& text) {
    if (text.empty() || text == kNoPrinter) {
        port.printerSet = 0;
        CopyName(port.printerName, kNoPrinter);
    } else {
        port.printerSet = 1;
        CopyName(port.printerName, text);
    }
}

std::string FirstListItem(const std::string& storedText) {
    return storedText.empty() ? std::string(kNoPrinter) : CutName(storedText);
}

void LoadPortPrinters(std::array<PrinterPort, kPortCount>& ports) {
    for (int i = 0; i < kPortCount; ++i) AssignPrinter(ports[static_cast<std::size_t>(i)], ReadPortSetting(i));
}

std::vector<std::string> SplitKeyList(const char* buffer, std::size_t length) {
    std::vector<std::string> names;
    if (!buffer) return names;
    std::size_t start = 0;
    while (start < length && buffer[start] != '\0') {
        std::size_t end = start;
        while (end < length && buffer[end] != '\0') ++end;
        names.push_back(CutName(std::string(buffer + start, end - start)));
        start = end + 1;
    }
    return names;
}

bool SameItemText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::vector<std::string> BuildPortList(const std::string& firstItem, const std::vector<std::string>& installed,
                                       bool printerSet) {
    std::vector<std::string> items{CutName(firstItem)};
    auto addUnlessListed = [&items](const std::string& name) {
        for (const std::string& item : items)
            if (SameItemText(item, name)) return;
        items.push_back(name);
    };
    if (installed.empty()) addUnlessListed(kNoPrinter);
    for (const std::string& name : installed) addUnlessListed(CutName(name));
    if (printerSet) addUnlessListed(kNoPrinter);
    return items;
}

void ApplyPrinterSetup(std::array<PrinterPort, kPortCount>& ports, const std::array<std::string, kPortCount>& chosen) {
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const std::string text = chosen[i].empty() ? std::string(kNoPrinter) : CutName(chosen[i]);
        if (text != ports[i].printerName) AssignPrinter(ports[i], text);
    }
    for (int i = 0; i < kPortCount; ++i) WritePortSetting(i, ports[static_cast<std::size_t>(i)].printerName);
}

}  // namespace netspool
