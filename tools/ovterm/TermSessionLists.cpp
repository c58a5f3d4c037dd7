// ovterm's lists over the screen: the function keys the host programmed,
// with their labels, and the recent hosts. Everything in them that came from
// the host or the settings is shown with its control characters as ^X.
#include <cstdint>
#include <string>
#include <vector>

#include "emu/CWyse50Emulator.h"
#include "session/CWinTermController.h"
#include "settings/MruList.h"
#include "tools/ovterm/OvtermPlatform.h"
#include "tools/ovterm/TermSession.h"
#include "view/CWinTermView.h"

namespace ovterm {

namespace {
// Control characters as ^X, so that nothing from the host reaches the
// terminal unfiltered.
std::string Shown(const char* text, size_t limit) {
    std::string shown;
    for (size_t i = 0; i < limit && text[i]; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) shown += "^" + std::string(1, static_cast<char>(c ^ 0x40));
        else if (c >= 0x80) shown += '?';
        else shown += static_cast<char>(c);
    }
    return shown;
}
}  // namespace

std::vector<std::string> TermSession::KeysPanel() const {
    std::vector<std::string> lines;
    auto* wyse = dynamic_cast<CWyse50Emulator*>(controller->Emulator());
    // Labels are written into the message line's slots (ESC z 0..?).
    const char* labels = view->MessageLineBuffer();
    static const char* const kTables[] = {"F", "Shift-F", "Ctrl-F", "Alt-F"};
    for (int table = 0; wyse && table < CWyse50Emulator::kKeyTables; ++table)
        for (int key = 0; key < CWyse50Emulator::kFunctionKeys; ++key) {
            const char* text = wyse->FunctionKeyString(table, key);
            std::string label = table == 0 ? Shown(labels + CWyse50Emulator::LabelOffset(key), CWyse50Emulator::kLabelLength) : std::string();
            while (!label.empty() && label.back() == ' ') label.pop_back();
            if ((!text || !*text) && label.empty()) continue;
            std::string name = kTables[table] + std::to_string(key + 1);
            name.resize(10, ' ');
            std::string shownLabel = label.empty() ? "" : "[" + label + "]";
            shownLabel.resize(10, ' ');
            lines.push_back(name + shownLabel + Shown(text ? text : "", CWyse50Emulator::kKeyStringSize));
        }
    if (lines.empty()) return {"The host has programmed no function keys."};
    lines.insert(lines.begin(), "Function keys the host has programmed (key, label, string):");
    if (lines.size() > static_cast<size_t>(screen::kShownRows - 1)) {
        lines.resize(screen::kShownRows - 1);
        lines.back() = "(more than fit here)";
    }
    return lines;
}

std::vector<std::string> TermSession::RecentPanel() const {
    std::vector<std::string> lines;
    const MruList* list = view->HostHistory();
    char host[128];
    for (std::uint32_t i = 0; list && MruGetEntry(list, i, 0, host, sizeof host); ++i)
        lines.push_back("#" + std::to_string(i + 1) + "  " + Shown(host, sizeof host));
    if (lines.empty()) return {"No recent hosts yet."};
    lines.insert(lines.begin(), "Recent hosts (connect #N connects to one):");
    return lines;
}

void TermSession::ShowPanel(std::vector<std::string> lines) {
    if (lines.size() > static_cast<size_t>(screen::kShownRows - 1)) lines.resize(screen::kShownRows - 1);
    panel = std::move(lines);
    platform->port.MarkAll();
}

}  // namespace ovterm
